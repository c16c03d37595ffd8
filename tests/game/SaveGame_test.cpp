// Saved games: a game written and read back carries on exactly as the
// original would have, and damaged or forged files are refused without
// touching the game in memory.
#include "game/SaveGame.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "RulesFixture.h"
#include "game/Autoplay.h"

namespace {

using game::Rules;
using game::SavedExtras;
using game::SlotHeader;
using game::SlotReader;

const size_t kBody = game::kSlotHeaderSize;
const size_t kTilesAt = kBody + 17 * 4;
const size_t kTileSize = 28;
const size_t kSeat0At = kTilesAt + 28 * kTileSize;
const size_t kHand0CountAt = kSeat0At + 8 + 20;

SlotHeader When() {
    SlotHeader h;
    h.kind = 4;
    h.day = 12;
    h.month = 3;
    h.year = 2004;
    h.hours = 9;
    h.minutes = 5;
    return h;
}

// One frame of play as the play screen runs it, seat 0 played by `seat`.
void Frame(Rules &r, game::SimpleSeat &seat) {
    r.BeginFrame();
    if (r.HumanToMove()) seat.Act(r);
    r.ComputerUpdate(5.0f);
    r.CheckEnd();
}

// A game some way in, with the human to move.
void PlayInto(Rules &r, RecordingHost *host, unsigned seed, size_t laid) {
    r.SetHost(host);
    r.Setup();
    srand(seed);
    r.players[0].isComputer = 0;
    r.players[1].isComputer = 1;
    r.NewGame();
    game::SimpleSeat seat(seed);
    for (int i = 0; i < 2000 && (r.board.placed.size() < laid || !r.HumanToMove()); ++i)
        Frame(r, seat);
}

std::string Save(const Rules &r, const SavedExtras &e = SavedExtras()) {
    std::string bytes;
    game::WriteSlot(r, e, When(), &bytes);
    return bytes;
}

bool Load(SlotReader &reader, const std::string &bytes) {
    return reader.Read(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
}

void PutI32(std::string &bytes, size_t at, int32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((uint32_t(v) >> (8 * i)) & 0xFF);
}

int32_t GetI32(const std::string &bytes, size_t at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(uint8_t(bytes[at + i])) << (8 * i);
    return int32_t(v);
}

class SaveGameTest : public ::testing::Test {
protected:
    void SetUp() override {
        PlayInto(original, &host, 11, 6);
        ASSERT_GE(original.board.placed.size(), 6u);
        ASSERT_TRUE(original.HumanToMove());
        bytes = Save(original);
        // The game a load would replace: another deal altogether.
        PlayInto(target, &host, 99, 2);
        before = Save(target);
    }
    void ExpectRefused(const std::string &damaged) {
        SlotReader reader;
        EXPECT_FALSE(Load(reader, damaged));
        EXPECT_STRNE(reader.Error(), "");
        EXPECT_FALSE(reader.Apply(&target));
        EXPECT_EQ(Save(target), before);
    }
    RecordingHost host;
    Rules original, target;
    std::string bytes, before;
};

TEST_F(SaveGameTest, HeaderCarriesKindDateAndTimeWhereTheListReadsThem) {
    SavedExtras e;
    e.kind = 5;
    original.players[1].isComputer = 0;
    const std::string b = Save(original, e);
    EXPECT_EQ(GetI32(b, 0), 5);
    EXPECT_EQ(GetI32(b, 16), 12);
    EXPECT_EQ(GetI32(b, 20), 3);
    EXPECT_EQ(GetI32(b, 24), 2004);
    EXPECT_EQ(GetI32(b, 28), 9);
    EXPECT_EQ(GetI32(b, 32), 5);
    EXPECT_EQ(size_t(GetI32(b, 12)), b.size() - kBody);
    SlotHeader h;
    game::ParseSlotHeader(reinterpret_cast<const uint8_t *>(b.data()), b.size(), &h);
    EXPECT_EQ(h.kind, 5);
    EXPECT_EQ(h.year, 2004);
    EXPECT_EQ(h.minutes, 5);
    // A file too short for a field leaves that field alone.
    SlotHeader partial;
    partial.minutes = 77;
    game::ParseSlotHeader(reinterpret_cast<const uint8_t *>(b.data()), 32, &partial);
    EXPECT_EQ(partial.hours, 9);
    EXPECT_EQ(partial.minutes, 77);
    game::ParseSlotHeader(reinterpret_cast<const uint8_t *>(b.data()), 3, &partial);
    EXPECT_EQ(partial.kind, -1);
}

TEST_F(SaveGameTest, LoadedGameIsTheSavedOneAndPlaysOnIdentically) {
    SlotReader reader;
    ASSERT_TRUE(Load(reader, bytes)) << reader.Error();
    ASSERT_TRUE(reader.Apply(&target));
    EXPECT_EQ(Save(target), bytes);
    for (int i = 0; i < 28; ++i) {
        EXPECT_EQ(target.tiles[i].a, original.tiles[i].a);
        EXPECT_EQ(target.tiles[i].x, original.tiles[i].x);
    }
    for (int s = 0; s < 2; ++s) {
        EXPECT_EQ(target.players[s].handPips, original.players[s].handPips);
        EXPECT_EQ(memcmp(target.players[s].name, original.players[s].name,
                         sizeof original.players[s].name),
                  0);
    }
    EXPECT_EQ(target.current, original.current);
    EXPECT_EQ(target.board.spots.size(), original.board.spots.size());
    ASSERT_EQ(target.board.placed.size(), original.board.placed.size());
    // Links point into the target's own tiles, not the original's.
    for (const game::Tile *t : target.board.placed) {
        if (t->link1) {
            EXPECT_TRUE(t->link1 >= &target.tiles[0] && t->link1 <= &target.tiles[27]);
        }
    }

    // Both copies, given the same chances, play the rest of the game alike.
    game::SimpleSeat seatA(5), seatB(5);
    srand(123);
    int framesA = 0;
    while (host.LastReport() != ReportEnded && framesA < 5000) {
        Frame(original, seatA);
        ++framesA;
    }
    host.reports.clear();
    srand(123);
    int framesB = 0;
    while (host.LastReport() != ReportEnded && framesB < 5000) {
        Frame(target, seatB);
        ++framesB;
    }
    EXPECT_EQ(framesA, framesB);
    EXPECT_EQ(Save(original), Save(target));
}

TEST_F(SaveGameTest, CameraAndLevelComeBack) {
    SavedExtras e;
    e.level = 1;
    e.azimuth = 123.5f;
    e.elevation = 33.0f;
    e.distance = 12.25f;
    e.target[0] = 1.5f;
    e.preset = 3;
    SlotReader reader;
    ASSERT_TRUE(Load(reader, Save(original, e))) << reader.Error();
    EXPECT_EQ(reader.Extras().level, 1);
    game::Camera camera;
    reader.ApplyCamera(&camera);
    EXPECT_EQ(camera.azimuth, 123.5f);
    EXPECT_EQ(camera.elevation, 33.0f);
    EXPECT_EQ(camera.distance, 12.25f);
    EXPECT_EQ(camera.target[0], 1.5f);
    EXPECT_EQ(camera.preset, 3);
    game::Camera fresh;
    fresh.azimuth = 123.5f;
    fresh.elevation = 33.0f;
    fresh.distance = 12.25f;
    fresh.target[0] = 1.5f;
    fresh.UpdateEye();
    EXPECT_EQ(camera.eye[0], fresh.eye[0]);
    EXPECT_EQ(camera.eye[2], fresh.eye[2]);
}

TEST_F(SaveGameTest, EveryTruncationIsRefused) {
    for (size_t n = 0; n < bytes.size(); ++n) {
        SCOPED_TRACE(n);
        ExpectRefused(bytes.substr(0, n));
    }
    // Cut short but with the body size made to match: the body itself runs out.
    std::string cut = bytes.substr(0, bytes.size() - 4);
    PutI32(cut, 12, int32_t(cut.size() - kBody));
    ExpectRefused(cut);
    ExpectRefused(bytes + std::string(1, '\0'));
}

TEST_F(SaveGameTest, ForgedFilesAreRefused) {
    std::string b;
    b = bytes;
    PutI32(b, 8, game::kSlotVersion + 1);
    ExpectRefused(b);
    b = bytes;
    b[5] = 'Q';
    ExpectRefused(b);
    b = bytes;
    PutI32(b, 0, 3);
    ExpectRefused(b);
    b = bytes;
    PutI32(b, 0, 5);  // two humans, but seat 1 is the computer
    ExpectRefused(b);
    b = bytes;
    PutI32(b, 20, 13);  // month 13
    ExpectRefused(b);

    // Two tiles with the same values.
    b = bytes;
    PutI32(b, kTilesAt + kTileSize + 0, GetI32(b, kTilesAt + 0));
    PutI32(b, kTilesAt + kTileSize + 4, GetI32(b, kTilesAt + 4));
    ExpectRefused(b);
    // A value out of range, and a < b broken.
    b = bytes;
    PutI32(b, kTilesAt + 4, 7);
    ExpectRefused(b);
    b = bytes;
    PutI32(b, kTilesAt + 0, 6);
    PutI32(b, kTilesAt + 4, 0);
    ExpectRefused(b);

    // A link past the 28 tiles, to itself, or from a tile that is not laid.
    const game::Tile *first = original.board.placed[0];
    const size_t firstAt = kTilesAt + size_t(first - &original.tiles[0]) * kTileSize;
    b = bytes;
    PutI32(b, firstAt + 20, 28);
    ExpectRefused(b);
    b = bytes;
    PutI32(b, firstAt + 20, int32_t(first - &original.tiles[0]));
    ExpectRefused(b);
    const game::Tile *held = original.players[0].hand[0];
    b = bytes;
    PutI32(b, kTilesAt + size_t(held - &original.tiles[0]) * kTileSize + 24,
           int32_t(first - &original.tiles[0]));
    ExpectRefused(b);
    // A laid tile far off the board, or at an angle that is not one of the four.
    b = bytes;
    float far = 1.0e9f;
    int32_t farBits;
    memcpy(&farBits, &far, 4);
    PutI32(b, firstAt + 12, farBits);
    ExpectRefused(b);
    b = bytes;
    float odd = 45.0f;
    int32_t oddBits;
    memcpy(&oddBits, &odd, 4);
    PutI32(b, firstAt + 8, oddBits);
    ExpectRefused(b);

    // Huge and negative counts.
    for (int32_t count : {-1, 29, 1 << 30, int32_t(0x80000000u)}) {
        b = bytes;
        PutI32(b, kHand0CountAt, count);
        ExpectRefused(b);
    }
    // The seat to move out of range; the name longer than 10 units.
    b = bytes;
    PutI32(b, kBody + 4, 2);
    ExpectRefused(b);
    b = bytes;
    PutI32(b, kSeat0At + 4, 11);
    ExpectRefused(b);
}

TEST_F(SaveGameTest, TwentyNineTilesAreRefused) {
    // One more tile in the first hand, duplicated from the boneyard's list:
    // a 29th entry, and a tile held twice.
    const size_t handCount = size_t(GetI32(bytes, kHand0CountAt));
    const size_t insertAt = kHand0CountAt + 4 + 4 * handCount;
    std::string b = bytes;
    b.insert(insertAt, bytes.substr(kHand0CountAt + 4, 4));
    PutI32(b, kHand0CountAt, int32_t(handCount + 1));
    PutI32(b, 12, int32_t(b.size() - kBody));
    ExpectRefused(b);
    // Or one tile fewer: 27 in all.
    b = bytes;
    b.erase(kHand0CountAt + 4, 4);
    PutI32(b, kHand0CountAt, int32_t(handCount - 1));
    PutI32(b, 12, int32_t(b.size() - kBody));
    ExpectRefused(b);
}

TEST_F(SaveGameTest, FirstMoveGameRoundTrips) {
    // A deal the human opens: the game is saved before its first tile.
    Rules fresh;
    for (unsigned seed = 1; seed < 100; ++seed) {
        PlayInto(fresh, &host, seed, 0);
        if (fresh.firstMove) break;
    }
    ASSERT_EQ(fresh.firstMove, 1);
    SlotReader reader;
    const std::string b = Save(fresh);
    ASSERT_TRUE(Load(reader, b)) << reader.Error();
    ASSERT_TRUE(reader.Apply(&target));
    EXPECT_EQ(target.firstMove, 1);
    EXPECT_EQ(target.startTile - &target.tiles[0], fresh.startTile - &fresh.tiles[0]);
    EXPECT_EQ(Save(target), b);
}

}  // namespace
