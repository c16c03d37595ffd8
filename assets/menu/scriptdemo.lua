-- Marbrix 3D: the menus.
--
-- Run once when the GUI loads; it only declares: objects, meshes, textures,
-- fonts, animations and which actions follow which events. Captions come
-- from data/textmenu_<lang>.txt, by object name.
--
-- Layout units: the camera sees 600 units from bottom to top at z = 0, and
-- MENUROOT narrows x by 3/4 to undo the camera's square aspect on 4:3
-- screens, so one unit is one pixel of an 800 x 600 screen wherever it is
-- drawn. Widgets lie in the plane z = 0, facing the camera (+z).
--
-- The script has no standard library: only the host functions, tables,
-- loops and string concatenation.

local GFX = "data/gfx/menu/"
local FONT = "data/gfx/font/vagron.ttf"

-- Fonts, by index: button captions engraved in ivory, headings, light text
-- on felt and walnut, and the name fields.
local F_BUTTON, F_TITLE, F_LIGHT, F_FIELD = 0, 1, 2, 3
--        file  size screen rgb  scene rgb          shadow rgb        offset  alpha style
loadFont(FONT, 20, 1, 1, 1, 0.26, 0.14, 0.06, 1.0, 0.96, 0.86, 1, 1, 1, "BOLD")
loadFont(FONT, 30, 1, 1, 1, 0.98, 0.92, 0.78, 0.12, 0.06, 0.02, 2, 2, 1, "BOLD")
loadFont(FONT, 19, 1, 1, 1, 0.98, 0.94, 0.82, 0.04, 0.03, 0.01, 1, 1, 1, "BOLD")
loadFont(FONT, 20, 1, 1, 1, 0.16, 0.10, 0.05, 0, 0, 0, 0, 0, 1, "NORMAL")

-- The camera first: it is object 1, the one used for picking.
createCamera("CAMERA", 10, 4000, 0, 45)
setPosition(0, 0, 724)

-- Warm key light from the upper left, a cool fill from the lower right.
createLight("LIGHT_KEY", 0, 0.0004, 6000)
setPosition(-320, 360, 620)
setColor(1.0, 0.93, 0.80, 1)
createLight("LIGHT_FILL", 1, 0.0004, 6000)
setPosition(420, -260, 520)
setColor(0.42, 0.40, 0.48, 1)

createNull("MENUROOT")
setScale(0.75, 1, 1)

createGraphic("BACKDROP")
loadMesh(GFX .. "backdrop.3ds")
setTexture(GFX .. "backdrop.png")
setFather("MENUROOT")
setPosition(0, 0, -300)

-- Two dominoes rocking beside the headings.
local DECOR = { "DECOR_LEFT", "DECOR_RIGHT" }
for i = 1, 2 do
  createGraphic(DECOR[i])
  loadMesh(GFX .. "tile.3ds")
  setTexture(GFX .. "tile.png")
  setFather("MENUROOT")
  setPosition(i == 1 and -330 or 330, 200, 40)
  setRotation(0, 0, i == 1 and -12 or 12)
end

-- ------------------------------------------------------------ building blocks

local groups = {}      -- every menu group, in creation order
local buttons = {}     -- every button and option, for the hover animations

local function group(name, heading)
  createNull(name)
  setFather("MENUROOT")
  groups[#groups + 1] = name
  if heading then
    createGraphic(heading)
    loadMesh(GFX .. "title.3ds")
    setTexture(GFX .. "title.png")
    setFont(F_TITLE)
    setFather(name)
    setPosition(0, 218, 0)
  end
end

local function button(name, menu, x, y)
  createButton(name)
  loadMesh(GFX .. "button.3ds")
  setTexture(GFX .. "button_normal.png", "ID_BUTTON_NORMAL")
  setTexture(GFX .. "button_over.png", "ID_BUTTON_OVER")
  setTexture(GFX .. "button_press.png", "ID_BUTTON_PRESS")
  setFont(F_BUTTON)
  setFather(menu)
  setPosition(x, y, 0)
  buttons[#buttons + 1] = name
end

-- A setting: a felt slab that steps through its entries when clicked (the
-- entries are its captions, in text-file order; the program reads and sets
-- which one shows).
local function option(name, menu, x, y)
  createOption(name)
  loadMesh(GFX .. "button.3ds")
  setTexture(GFX .. "option_normal.png", "ID_OPTION_NORMAL")
  setTexture(GFX .. "option_over.png", "ID_OPTION_OVER")
  setTexture(GFX .. "option_press.png", "ID_OPTION_PRESS")
  setFont(F_LIGHT)
  setFather(menu)
  setPosition(x, y, 0)
  buttons[#buttons + 1] = name
end

local function label(name, menu, x, y)
  createGraphic(name)
  loadMesh(GFX .. "label.3ds")
  setTexture(GFX .. "label.png")
  setFont(F_LIGHT)
  setFather(menu)
  setPosition(x, y, 0)
end

local function field(name, menu, x, y)
  createText(name)
  loadMesh(GFX .. "field.3ds")
  setTexture(GFX .. "field_normal.png", "ID_TEXT_NORMAL")
  setTexture(GFX .. "field_over.png", "ID_TEXT_OVER")
  setTexture(GFX .. "field_press.png", "ID_TEXT_PRESS")
  setTexture(GFX .. "field_focus.png", "ID_TEXT_FOCUS")
  setFont(F_FIELD)
  setNbChar(12)
  setFather(menu)
  setPosition(x, y, 0)
end

-- ------------------------------------------------------------ the menus

local BACK_Y = -250   -- below the slot lists, the help page and the credits

group("MENUMAIN", "TITLE_MAIN")
button("BUTTON_PLAY", "MENUMAIN", 0, 120)
button("BUTTON_LOAD", "MENUMAIN", 0, 62)
button("BUTTON_OPTION", "MENUMAIN", 0, 4)
button("BUTTON_HELP", "MENUMAIN", 0, -54)
button("BUTTON_ABOUT", "MENUMAIN", 0, -112)
button("BUTTON_QUIT", "MENUMAIN", 0, -190)

group("MENUPLAY", "TITLE_PLAY")
label("LABEL_PLAYER1", "MENUPLAY", -125, 120)
field("TEXTEPLAYER1NAME", "MENUPLAY", 110, 120)
label("LABEL_PLAYER2", "MENUPLAY", -125, 62)
field("TEXTEPLAYER2NAME", "MENUPLAY", 110, 62)
button("BUTTON_ONE_PLAYER", "MENUPLAY", 0, -20)
button("BUTTON_TWO_PLAYERS", "MENUPLAY", 0, -78)
button("BUTTONCONFIG_BACK", "MENUPLAY", 0, -190)

group("MENUOPTION", "TITLE_OPTION")
option("BUTTONOPTION_RES", "MENUOPTION", -160, 130)
option("BUTTONOPTION_SHADOW", "MENUOPTION", -160, 72)
option("BUTTONOPTION_REFLECT", "MENUOPTION", -160, 14)
option("BUTTONOPTION_LAYHELP", "MENUOPTION", -160, -44)
option("BUTTONOPTION_SOUND", "MENUOPTION", 160, 130)
option("BUTTONOPTION_MUSIC", "MENUOPTION", 160, 72)
option("BUTTONOPTION_LEVEL", "MENUOPTION", 160, 14)
button("BUTTONOPTION_BACK", "MENUOPTION", 0, -190)

group("MENUGAMEOPTION", "TITLE_GAME")
button("BUTTONGAME_PLAY", "MENUGAMEOPTION", 0, 90)
button("BUTTONGAME_SAVE", "MENUGAMEOPTION", 0, 32)
button("BUTTONGAME_MENU", "MENUGAMEOPTION", 0, -26)

group("MENULOAD", "TITLE_LOAD")
button("BUTTONLOAD_BACK", "MENULOAD", 0, BACK_Y)

group("MENUSAVE", "TITLE_SAVE")
button("BUTTONSAVE_BACK", "MENUSAVE", 0, BACK_Y)

-- Help and credits are drawn by the program over the scene; their menus
-- hold only the way back.
group("MENUHELP")
button("BUTTON_HELP_BACK", "MENUHELP", 0, BACK_Y)

group("MENUABOUT")
button("BUTTON_ABOUT_BACK", "MENUABOUT", 0, BACK_Y)

-- ------------------------------------------------------------ animations

-- One channel of one object from a to b over `time` seconds.
local function tween(channel, a, b, time, how)
  setCurve(channel, 2)
  addKeyFrame(0, channel, a, "CONSTANT")
  addKeyFrame(time, channel, b, how)
end

-- Menus swing in and out like doors: forward moves go to the left, "back"
-- moves to the right. RESET puts a group back at rest once it is hidden, so
-- the program can show any group directly.
local SWING = 0.45
for i = 1, #groups do
  local g = groups[i]
  for side = -1, 1, 2 do
    local tag = side < 0 and "L" or "R"
    setAnimation(g .. "_IN_" .. tag, 1, SWING, 0)
    animate(g)
    tween("TRANSLATION_X", side * 620, 0, SWING, "SMOOTH")
    tween("ROTATION_Y", -side * 70, 0, SWING, "SMOOTH")
    tween("TRANSLATION_Z", -160, 0, SWING, "SMOOTH")
    endAnim()
    setAnimation(g .. "_OUT_" .. tag, 1, SWING, 0)
    animate(g)
    tween("TRANSLATION_X", 0, side * 620, SWING, "SMOOTH")
    tween("ROTATION_Y", 0, -side * 70, SWING, "SMOOTH")
    tween("TRANSLATION_Z", 0, -160, SWING, "SMOOTH")
    endAnim()
  end
  setAnimation(g .. "_RESET", 1, 0, 0)
  animate(g)
  tween("TRANSLATION_X", 0, 0, 0, "CONSTANT")
  tween("ROTATION_Y", 0, 0, 0, "CONSTANT")
  tween("TRANSLATION_Z", 0, 0, 0, "CONSTANT")
  endAnim()
  -- A group that has swung in takes input again; one that has swung out
  -- is hidden, put back at rest and left active for when it shows again.
  for side = 1, 2 do
    local tag = side == 1 and "L" or "R"
    catchEvent("EVENT_ANIM_END", g .. "_IN_" .. tag)
    loadAction("ACTION_ACTIVE", g)
    catchEvent("EVENT_ANIM_END", g .. "_OUT_" .. tag)
    loadAction("ACTION_INVISIBLE", g)
    loadAction("ACTION_ANIM", g .. "_RESET", 0)
    loadAction("ACTION_ACTIVE", g)
  end
end

-- Buttons rise towards the player under the pointer and dip when clicked.
-- Each button has its own playback channel, so its moves queue instead of
-- fighting.
local LIFT = 9
for i = 1, #buttons do
  local b = buttons[i]
  setAnimation("HOVER_UP_" .. b, 1, 0.14, 0)
  animate(b)
  tween("TRANSLATION_Z", 0, LIFT, 0.14, "SMOOTH")
  endAnim()
  setAnimation("HOVER_DOWN_" .. b, 1, 0.14, 0)
  animate(b)
  tween("TRANSLATION_Z", LIFT, 0, 0.14, "SMOOTH")
  endAnim()
  setAnimation("CLICK_" .. b, 1, 0.08, 0)
  animate(b)
  tween("TRANSLATION_Z", LIFT, -2, 0.08, "LINEAR")
  endAnim()

  local channel = 100 + i
  catchEvent("EVENT_STATE_OVER", b)
  loadAction("ACTION_ANIM", "HOVER_UP_" .. b, channel)
  catchEvent("EVENT_STATE_NORMAL", b)
  loadAction("ACTION_ANIM", "HOVER_DOWN_" .. b, channel)
  catchEvent("EVENT_STATE_PRESS", b)
  loadAction("ACTION_ANIM", "CLICK_" .. b, channel)
  -- The program acts on a record named after the widget.
  loadAction("ACTION_STORE", b)
end

-- The dominoes rock for ever, out of step with each other.
for i = 1, 2 do
  local d = DECOR[i]
  local s = i == 1 and 1 or -1
  setAnimation("ROCK_" .. d, 1, 6, 2)
  animate(d)
  setCurve("ROTATION_Y", 3)
  addKeyFrame(0, "ROTATION_Y", -28 * s, "CONSTANT")
  addKeyFrame(3, "ROTATION_Y", 28 * s, "SMOOTH")
  addKeyFrame(6, "ROTATION_Y", -28 * s, "SMOOTH")
  setCurve("TRANSLATION_Y", 3)
  addKeyFrame(0, "TRANSLATION_Y", 200, "CONSTANT")
  addKeyFrame(3, "TRANSLATION_Y", 212, "SMOOTH")
  addKeyFrame(6, "TRANSLATION_Y", 200, "SMOOTH")
  endAnim()
end

-- ------------------------------------------------------------ moving between menus

-- A click on `b` swings `from` out and `to` in. Neither group takes input
-- while they move; `to` is handed the pointer when it stands still.
local function go(b, from, to, back)
  local tag = back and "R" or "L"
  local inTag = back and "L" or "R"
  catchEvent("EVENT_STATE_PRESS", b)
  loadAction("ACTION_CHGSTATE", b, "NORMAL")
  loadAction("ACTION_INACTIVE", from)
  loadAction("ACTION_ANIM", from .. "_OUT_" .. tag, 0)
  loadAction("ACTION_INACTIVE", to)
  loadAction("ACTION_VISIBLE", to)
  loadAction("ACTION_ANIM", to .. "_IN_" .. inTag, 0)
end

go("BUTTON_PLAY", "MENUMAIN", "MENUPLAY")
go("BUTTON_LOAD", "MENUMAIN", "MENULOAD")
go("BUTTON_OPTION", "MENUMAIN", "MENUOPTION")
go("BUTTON_HELP", "MENUMAIN", "MENUHELP")
go("BUTTON_ABOUT", "MENUMAIN", "MENUABOUT")
go("BUTTONCONFIG_BACK", "MENUPLAY", "MENUMAIN", true)
go("BUTTONOPTION_BACK", "MENUOPTION", "MENUMAIN", true)
go("BUTTONLOAD_BACK", "MENULOAD", "MENUMAIN", true)
go("BUTTON_HELP_BACK", "MENUHELP", "MENUMAIN", true)
go("BUTTON_ABOUT_BACK", "MENUABOUT", "MENUMAIN", true)
go("BUTTONSAVE_BACK", "MENUSAVE", "MENUGAMEOPTION", true)
go("BUTTONGAME_SAVE", "MENUGAMEOPTION", "MENUSAVE")
go("BUTTONGAME_MENU", "MENUGAMEOPTION", "MENUMAIN", true)

-- Buttons that start or resume play leave the menus as they are: the
-- program shows the group it wants when play ends.
local toPlay = { "BUTTON_ONE_PLAYER", "BUTTON_TWO_PLAYERS", "BUTTONGAME_PLAY" }
for i = 1, #toPlay do
  catchEvent("EVENT_STATE_PRESS", toPlay[i])
  loadAction("ACTION_CHGSTATE", toPlay[i], "NORMAL")
end

-- ------------------------------------------------------------ start

-- Only the main menu shows at first; it swings in while the dominoes start rocking.
catchEvent("EVENT_BEGIN")
for i = 1, #groups do
  if groups[i] ~= "MENUMAIN" then loadAction("ACTION_INVISIBLE", groups[i]) end
end
loadAction("ACTION_INACTIVE", "MENUMAIN")
loadAction("ACTION_ANIM", "MENUMAIN_IN_R", 0)
loadAction("ACTION_ANIM", "ROCK_DECOR_LEFT", 0)
loadAction("ACTION_ANIM", "ROCK_DECOR_RIGHT", 0)
