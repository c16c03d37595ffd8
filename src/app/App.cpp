// Application shell; grows with the game.
