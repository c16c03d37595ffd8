#include "game/PlayControls.h"

#include <gtest/gtest.h>

#include "RulesFixture.h"

using namespace game;
using platform::ScriptedInput;

// An 800 x 600 window: hand slots are 58 pixels wide from x = 9, the pass
// band is y in (496, 528), the draw band y in (536, 568), the buttons from x = 670.
class ControlsTest : public ::testing::Test {
protected:
    static const int W = 800, H = 600;

    void SetUp() override {
        ResetTable(rules);
        rules.SetHost(&host);
        Lay(rules, 3, 5, 15, 15, 0);
    }
    // One frame: counts, the pointer region, then every pending event.
    void Frame(int x, int y, float boardX = 0, float boardZ = 0) {
        rules.BeginFrame();
        PlayPointer p;
        p.x = x;
        p.y = y;
        p.overBoard = rules.PointerOverBoard(x, y, W, H);
        p.boardX = boardX;
        p.boardZ = boardZ;
        if (p.overBoard) rules.PreviewPlacement(boardX, boardZ);
        controls.HandleEvents(input, p, W, H);
    }
    void Release(int button) {
        platform::InputEvent e;
        e.type = platform::EventButtonUp;
        e.button = button;
        input.Push(e);
    }

    RecordingHost host;
    Rules rules;
    PlayControls controls{rules};
    ScriptedInput input;
};

TEST_F(ControlsTest, HandSlotFromThePointerX) {
    EXPECT_EQ(PlayControls::HandSlotAt(0, 800), 0);
    EXPECT_EQ(PlayControls::HandSlotAt(66, 800), 0);
    EXPECT_EQ(PlayControls::HandSlotAt(67, 800), 1);
    EXPECT_EQ(PlayControls::HandSlotAt(9 + 58 * 9, 800), 9);
    // 1024 wide: 11 from the left, 74 per slot (each product truncated first).
    EXPECT_EQ(PlayControls::HandSlotAt(11 + 74 * 3 - 1, 1024), 2);
    EXPECT_EQ(PlayControls::HandSlotAt(11 + 74 * 3, 1024), 3);
    EXPECT_EQ(PlayControls::HandSlotAt(5, 10), 0);  // no slot width at all
}

TEST_F(ControlsTest, ClickTheHandThenTheBoardToLayATile) {
    GiveHand(rules, 0, {{1, 1}, {5, 6}});
    input.PushClick(30, 560);  // slot 0: 1-1 fits nowhere
    Frame(30, 560);
    EXPECT_EQ(rules.selected, nullptr);
    EXPECT_EQ(host.LastEffect(), SoundError);

    input.PushClick(80, 560);  // slot 1
    Frame(80, 560);
    EXPECT_EQ(rules.selected, rules.FindTile(5, 6));
    EXPECT_EQ(host.LastEffect(), SoundChoose);

    Release(platform::ButtonRight);  // 0 -> 90: runs up from (17, 15), allowed
    Release(platform::ButtonRight);  // 180: back over the first tile
    Frame(400, 300, 17.2f, 15.1f);
    EXPECT_FLOAT_EQ(rules.placementAngle, 180);
    Frame(400, 300, 17.2f, 15.1f);
    EXPECT_EQ(rules.placementLegal, 0);
    Release(platform::ButtonLeft);
    Frame(400, 300, 17.2f, 15.1f);
    EXPECT_EQ(host.LastEffect(), SoundError);
    EXPECT_EQ(rules.board.placed.size(), 1u);

    Release(platform::ButtonRight);
    Release(platform::ButtonRight);  // 360 wraps to 0
    Frame(400, 300, 17.2f, 15.1f);
    EXPECT_FLOAT_EQ(rules.placementAngle, 0);
    rules.cpuPending = 1;
    Release(platform::ButtonLeft);
    Frame(400, 300, 17.2f, 15.1f);
    EXPECT_EQ(rules.placementLegal, 1);  // previewed at the start of the frame
    EXPECT_EQ(host.LastEffect(), SoundPlace);
    Tile *t = rules.FindTile(5, 6);
    ASSERT_EQ(rules.board.placed.size(), 2u);
    EXPECT_EQ(rules.board.placed.back(), t);
    EXPECT_FLOAT_EQ(t->x, 17);  // snapped onto the spot
    EXPECT_FLOAT_EQ(t->z, 15);
    EXPECT_EQ(rules.players[0].HandSize(), 1);
    EXPECT_EQ(rules.players[0].handPips, 2);
    EXPECT_EQ(rules.current, 1);
    EXPECT_EQ(rules.selected, nullptr);
    EXPECT_EQ(rules.lastAction, ActionHuman);
    EXPECT_EQ(rules.cpuPending, 0);  // the computer decides afresh
}

TEST_F(ControlsTest, LeftCtrlKeepsButtonReleasesForTheCamera) {
    GiveHand(rules, 0, {{5, 6}});
    rules.selected = rules.FindTile(5, 6);
    input.SetKey(platform::KeyLCtrl, true);
    Release(platform::ButtonRight);
    Release(platform::ButtonLeft);
    Frame(400, 300, 17, 15);
    EXPECT_FLOAT_EQ(rules.placementAngle, 0);
    EXPECT_EQ(rules.board.placed.size(), 1u);
    EXPECT_TRUE(host.effects.empty());
    input.SetKey(platform::KeyLCtrl, false);
    Release(platform::ButtonLeft);
    Frame(400, 300, 17, 15);
    EXPECT_EQ(rules.board.placed.size(), 2u);
}

TEST_F(ControlsTest, PassAndDrawButtonsAndKeysOnlyWhenNothingFits) {
    GiveHand(rules, 0, {{0, 1}, {1, 2}});
    input.PushClick(700, 550);  // draw band
    Frame(700, 550);
    EXPECT_EQ(rules.players[0].HandSize(), 3);
    EXPECT_EQ(host.LastEffect(), SoundDraw);
    EXPECT_EQ(rules.current, 0);

    input.PushClick(700, 530);  // between the bands: nothing
    Frame(700, 530);
    EXPECT_EQ(rules.current, 0);
    EXPECT_EQ(rules.players[0].HandSize(), 3);

    GiveHand(rules, 0, {{0, 1}, {1, 2}});
    input.PushKey(platform::KeyReturn);
    Frame(400, 300);
    EXPECT_EQ(rules.players[0].HandSize(), 3);

    GiveHand(rules, 0, {{0, 1}, {1, 2}});
    input.PushClick(700, 510);  // pass band
    Frame(700, 510);
    EXPECT_EQ(host.LastEffect(), SoundSkip);
    EXPECT_EQ(rules.current, 1);

    // With a tile that fits, the same places are the board and keys do nothing.
    rules.current = 0;
    GiveHand(rules, 0, {{5, 6}});
    host.effects.clear();
    input.PushKey(platform::KeySpace);
    input.PushKey(platform::KeyReturn);
    input.PushClick(700, 510);
    Frame(700, 510, 3, 3);
    EXPECT_EQ(rules.current, 0);
    EXPECT_EQ(rules.players[0].HandSize(), 1);
    EXPECT_TRUE(host.effects.empty());  // nothing selected: a board click does nothing

    GiveHand(rules, 0, {{0, 1}});
    input.PushKey(platform::KeySpace);
    Frame(400, 300);
    EXPECT_EQ(rules.current, 1);
}

TEST_F(ControlsTest, FirstMoveOnlyLaysTheStartTile) {
    rules.board.Clear();
    GiveHand(rules, 0, {{6, 6}, {0, 1}});
    GiveHand(rules, 1, {{1, 2}});
    rules.ChooseStarter();
    input.PushClick(80, 560);  // the hand is closed
    input.PushKey(platform::KeySpace);
    input.PushKey(platform::KeyReturn);
    Frame(80, 560);
    EXPECT_EQ(rules.selected, rules.FindTile(6, 6));
    EXPECT_EQ(rules.current, 0);
    EXPECT_TRUE(host.effects.empty());
    Release(platform::ButtonRight);
    Frame(400, 300, 9.25f, 20.5f);
    EXPECT_EQ(rules.placementLegal, 1);  // never red on the first move
    input.PushClick(400, 300);
    Frame(400, 300, 9.25f, 20.5f);
    Tile *d = rules.FindTile(6, 6);
    ASSERT_EQ(rules.board.placed.size(), 1u);
    EXPECT_FLOAT_EQ(d->x, 9.25f);  // where the pointer was, not on a grid
    EXPECT_FLOAT_EQ(d->z, 20.5f);
    EXPECT_FLOAT_EQ(d->angle, 90);
    EXPECT_EQ(rules.board.spots.size(), 4u);
    EXPECT_EQ(rules.firstMove, 0);
    EXPECT_EQ(rules.current, 1);
}

TEST_F(ControlsTest, NothingActsWhileTheComputerIsToMove) {
    GiveHand(rules, 0, {{0, 1}});
    rules.current = 1;
    input.PushKey(platform::KeyEscape);
    input.PushKey(platform::KeySpace);
    input.PushClick(700, 510);
    Release(platform::ButtonRight);
    Frame(700, 510);
    EXPECT_EQ(host.pauses, 0);
    EXPECT_EQ(rules.current, 1);
    EXPECT_FLOAT_EQ(rules.placementAngle, 0);
    EXPECT_TRUE(input.Empty());  // the events were still consumed

    rules.current = 0;
    input.PushKey(platform::KeyEscape);
    Frame(400, 300);
    EXPECT_EQ(host.pauses, 1);
    EXPECT_EQ(host.LastReport(), ReportLeave);
    EXPECT_EQ(rules.current, 0);  // the game stays as it was
}
