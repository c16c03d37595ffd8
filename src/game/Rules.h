#pragma once
// The state and the operations of a game of dominoes: the two seats, the 28
// tiles, the boneyard and the board, the turn, the computer's pending move
// and the end of the game. The application object owns one and forwards its
// update step here; everything the rules cause outside themselves (sounds,
// mode changes, camera and timer resets) goes through RulesHost, so the
// whole game can run, and be tested, without a display.

#include <cstdint>
#include <vector>

#include "game/Board.h"
#include "game/Player.h"
#include "game/Sound.h"
#include "game/Tile.h"

namespace game {

// Who sits at the table: one human against the computer, or two humans
// taking turns at one machine.
enum GameKind { KindAgainstComputer = 4, KindTwoHumans = 5 };

// What the last action of the turn was: the human acted, or the computer's decision.
enum Action {
    ActionNone = 0,
    ActionHuman = 100,
    ActionLay = 101,
    ActionPass = 102,
    ActionDraw = 103
};

enum EndCause { EndEmptyHand = 0, EndBlocked = 1 };

class RulesHost {
public:
    virtual ~RulesHost() {}
    virtual void PlaySound(Sound sound) { (void)sound; }
    // A new game was dealt: the application shows its opening screen.
    virtual void GameStarted() {}
    // A new game: the camera goes to its opening orbit (azimuth 0, elevation
    // 60, distance 30), the preset label and the highlight pulse restart.
    virtual void ResetView() {}
    virtual void ResetFrameTimer() {}
    // The game is over (an empty hand or a blocked table): the result is in
    // `current` (the winner, -1 for none) and `endCause`.
    virtual void GameEnded() {}
    // The human to move asked to leave (Escape); the game stays as it is.
    virtual void LeaveRequested() {}
};

struct CpuMove {
    Tile *tile = nullptr;
    float x = 0.0f;
    float z = 0.0f;
    float angle = 0.0f;
};

// One legal way for the computer to lay a tile.
struct Candidate {
    float x = 0.0f;
    float z = 0.0f;
    float angle = 0.0f;
    int32_t value = 0;  // value of the spot it attaches to
    Tile *tile = nullptr;
    int32_t score = 0;
};

class Rules {
public:
    static const int kTileCount = 28;
    static const int kHandSize = 7;
    static const int kMaxHand = 10;
    static constexpr float kCpuDelay = 10.0f;

    Player players[2];
    int32_t playerCount = 2;
    std::vector<Tile> tiles;
    std::vector<Tile *> boneyard;
    Board board;

    int32_t current = 0;  // seat to move; after a game, the winner (-1 none)
    int32_t firstMove = 1;
    Tile *startTile = nullptr;
    Tile *selected = nullptr;
    float placementAngle = 0.0f;
    int32_t placementLegal = 0;
    int32_t moveCount[2] = {0, 0};
    // Whether each seat can actually lay a tile somewhere: a tile may match a
    // spot by value while every drop near it is refused by the geometry.
    int32_t canLay[2] = {0, 0};
    int32_t cpuPending = 0;
    float cpuDelay = kCpuDelay;
    int32_t lastAction = ActionNone;
    CpuMove cpuMove;
    int32_t runAcross = 0;
    int32_t runAlong = 0;
    int32_t drawsThisTurn = 0;
    int32_t endCause = EndEmptyHand;
    int32_t turnEnded = 0;  // a turn ended in this frame

    explicit Rules(RulesHost *host = nullptr);
    // Hands, boneyard and board point into this object's own tile vector.
    Rules(const Rules &) = delete;
    Rules &operator=(const Rules &) = delete;
    void SetHost(RulesHost *host);
    RulesHost *Host() const { return host_; }

    // Start-up: the 28 tiles in creation order, a 32 x 32 board, all tiles in
    // the boneyard. Release empties everything.
    void Setup();
    void Release();
    Tile *FindTile(int a, int b);

    // Deals a new game and goes to the opening screen.
    void NewGame();
    // Who starts and with which tile, from the dealt hands.
    void ChooseStarter();
    void DrawFromBoneyard(int seat);
    void EndTurn();

    // One frame of play, around the presentation's own work:
    //   BeginFrame(); pointer and picking; events (PlayControls); camera;
    //   ComputerUpdate(step); CheckEnd();
    void BeginFrame();
    void CountMoves();
    void ComputerUpdate(float frameStep);
    // Returns 1 when the game ended in this frame.
    int CheckEnd();

    // The computer's decision for the seat to move (ActionLay, ActionPass or ActionDraw).
    int Decide();
    // Every legal move of the computer for the seat, scored, in its tie-break order.
    int CollectCandidates(int seat, std::vector<Candidate> *out);

    // The human controls. Each checks that a human is to move and that the
    // rules allow the action; a refused action plays the error sound where
    // the player expects feedback, and changes nothing.
    bool HumanToMove() const;
    int SelectSlot(int slot);
    int DropSelected(float x, float z);
    void RotatePlacement();
    int Pass();
    int TakeFromBoneyard();
    void Escape();
    // Pass and draw are open to the seat to move: not on the first move, and
    // only when it cannot lay a tile.
    bool MayPassOrDraw() const;
    // Whether any tile of the seat's hand has a drop that the board accepts,
    // at any spot and any angle (the seat's tiles are left as they were).
    bool HasLegalDrop(int seat);

    // The tile following the pointer over the board takes the placement
    // angle and the point, and shows whether it may be laid there.
    void PreviewPlacement(float boardX, float boardZ);
    // Whether the pointer, in window pixels, is over the table rather than
    // over the hand or the pass and draw buttons.
    bool PointerOverBoard(int x, int y, int width, int height) const;

private:
    bool ValidSeat(int seat) const { return seat == 0 || seat == 1; }
    void Play(Sound sound);
    void HumanActed();
    void CountRuns(float angle);
    void ComputerAct();
    int OpeningMove();

    RulesHost *host_;
    std::vector<Spot> scratchSpots_;
    std::vector<Candidate> scratchCandidates_;
};

}  // namespace game
