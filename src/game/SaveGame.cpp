#include "game/SaveGame.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace game {

// Body of version 1, in this order:
//   level, current, firstMove, startTile, selected, placementAngle,
//   lastAction, cpuPending, cpuDelay, cpuMove (tile, x, z, angle),
//   runAcross, runAlong, drawsThisTurn, endCause
//   28 tiles: a, b, angle, x, z, link1, link2
//   2 seats: isComputer, name length (0..10), 10 name units (16 bits
//            each, unused ones 0), hand count, hand tiles in order
//   boneyard count, tiles in order
//   placed count, tiles in the order they were laid
//   spot count, spots: x, z, tile, value, mask
//   camera: azimuth, elevation, distance, target x, y, z, preset

namespace {

const int kTiles = Rules::kTileCount;
const int kMaxSpots = 4 * kTiles;
// Farthest a board coordinate can get from the centre of a 32 x 32 board
// when every tile runs the same way, with room to spare.
const float kBoardReach = 16.0f + 2.0f * kTiles + 2.0f;
const float kTargetReach = 1000.0f;
// A name is kept to its first 10 units.
const int kNameMax = 10;

void PutI32(std::string *out, int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}

void PutF32(std::string *out, float f) {
    uint32_t u;
    memcpy(&u, &f, 4);
    PutI32(out, static_cast<int32_t>(u));
}

int32_t GetI32At(const uint8_t *p) {
    return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                                uint32_t(p[3]) << 24);
}

int32_t IndexOf(const Rules &rules, const Tile *t) {
    if (!t || rules.tiles.empty()) return -1;
    const Tile *first = rules.tiles.data();
    if (t < first || t >= first + rules.tiles.size()) return -1;
    return static_cast<int32_t>(t - first);
}

void PutList(std::string *out, const Rules &rules, const std::vector<Tile *> &list) {
    PutI32(out, static_cast<int32_t>(list.size()));
    for (const Tile *t : list) PutI32(out, IndexOf(rules, t));
}

bool IsTableAngle(float angle) {
    return AngleIndex(angle) >= 0;
}

bool OnBoard(float v) {
    return std::isfinite(v) && v >= 16.0f - kBoardReach && v <= 16.0f + kBoardReach;
}

// Reads the body front to back; the first read past the end marks it short
// and every later read gives 0.
class Cursor {
public:
    Cursor(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    int32_t I32() {
        if (short_ || size_ - pos_ < 4) {
            short_ = true;
            return 0;
        }
        int32_t v = GetI32At(data_ + pos_);
        pos_ += 4;
        return v;
    }
    float F32() {
        uint32_t u = static_cast<uint32_t>(I32());
        float f;
        memcpy(&f, &u, 4);
        return f;
    }
    uint16_t U16() {
        if (short_ || size_ - pos_ < 2) {
            short_ = true;
            return 0;
        }
        uint16_t v = static_cast<uint16_t>(data_[pos_] | data_[pos_ + 1] << 8);
        pos_ += 2;
        return v;
    }
    bool Short() const { return short_; }
    size_t Left() const { return short_ ? 0 : size_ - pos_; }

private:
    const uint8_t *data_;
    size_t size_;
    size_t pos_ = 0;
    bool short_ = false;
};

}  // namespace

struct SavedTile {
    int32_t a = 0, b = 0;
    float angle = 0, x = 0, z = 0;
    int32_t link1 = -1, link2 = -1;
};

struct SavedSeat {
    int32_t isComputer = 0;
    uint16_t name[sizeof(Player::name) / sizeof(uint16_t)] = {};
    std::vector<int32_t> hand;
};

struct SavedSpot {
    float x = 0, z = 0;
    int32_t tile = -1, value = 0, mask = 0;
};

struct SlotGame {
    SavedExtras extras;
    int32_t current = 0, firstMove = 1, startTile = -1, selected = -1;
    float placementAngle = 0;
    int32_t lastAction = 0, cpuPending = 0;
    float cpuDelay = 0;
    int32_t cpuTile = -1;
    float cpuX = 0, cpuZ = 0, cpuAngle = 0;
    int32_t runAcross = 0, runAlong = 0, drawsThisTurn = 0, endCause = 0;
    SavedTile tiles[kTiles];
    SavedSeat seats[2];
    std::vector<int32_t> boneyard, placed;
    std::vector<SavedSpot> spots;
};

void ParseSlotHeader(const uint8_t *data, size_t size, SlotHeader *out) {
    out->kind = size >= 4 ? GetI32At(data) : -1;
    int32_t *fields[5] = {&out->day, &out->month, &out->year, &out->hours, &out->minutes};
    for (int i = 0; i < 5; ++i) {
        const size_t at = 16 + 4 * size_t(i);
        if (size >= at + 4) *fields[i] = GetI32At(data + at);
    }
}

void WriteSlot(const Rules &rules, const SavedExtras &extras, const SlotHeader &when,
               std::string *out) {
    std::string body;
    PutI32(&body, extras.level);
    PutI32(&body, rules.current);
    PutI32(&body, rules.firstMove);
    PutI32(&body, IndexOf(rules, rules.startTile));
    PutI32(&body, IndexOf(rules, rules.selected));
    PutF32(&body, rules.placementAngle);
    PutI32(&body, rules.lastAction);
    PutI32(&body, rules.cpuPending);
    PutF32(&body, rules.cpuDelay);
    PutI32(&body, IndexOf(rules, rules.cpuMove.tile));
    PutF32(&body, rules.cpuMove.x);
    PutF32(&body, rules.cpuMove.z);
    PutF32(&body, rules.cpuMove.angle);
    PutI32(&body, rules.runAcross);
    PutI32(&body, rules.runAlong);
    PutI32(&body, rules.drawsThisTurn);
    PutI32(&body, rules.endCause);
    for (size_t i = 0; i < size_t(kTiles); ++i) {
        const Tile *t = i < rules.tiles.size() ? &rules.tiles[i] : nullptr;
        PutI32(&body, t ? t->a : 0);
        PutI32(&body, t ? t->b : 0);
        PutF32(&body, t ? t->angle : 0.0f);
        PutF32(&body, t ? t->x : 0.0f);
        PutF32(&body, t ? t->z : 0.0f);
        PutI32(&body, t ? IndexOf(rules, t->link1) : -1);
        PutI32(&body, t ? IndexOf(rules, t->link2) : -1);
    }
    for (const Player &p : rules.players) {
        PutI32(&body, p.isComputer);
        int32_t n = 0;
        while (n < kNameMax && p.name[n]) ++n;
        PutI32(&body, n);
        for (int i = 0; i < kNameMax; ++i) {
            const uint16_t u = i < n ? p.name[i] : 0;
            body.push_back(static_cast<char>(u & 0xFF));
            body.push_back(static_cast<char>(u >> 8));
        }
        PutList(&body, rules, p.hand);
    }
    PutList(&body, rules, rules.boneyard);
    PutList(&body, rules, rules.board.placed);
    PutI32(&body, static_cast<int32_t>(rules.board.spots.size()));
    for (const Spot &s : rules.board.spots) {
        PutF32(&body, s.x);
        PutF32(&body, s.z);
        PutI32(&body, IndexOf(rules, s.tile));
        PutI32(&body, s.value);
        PutI32(&body, s.mask);
    }
    PutF32(&body, extras.azimuth);
    PutF32(&body, extras.elevation);
    PutF32(&body, extras.distance);
    for (int i = 0; i < 3; ++i) PutF32(&body, extras.target[i]);
    PutI32(&body, extras.preset);

    out->clear();
    PutI32(out, extras.kind);
    out->append(kSlotMagic, 4);
    PutI32(out, kSlotVersion);
    PutI32(out, static_cast<int32_t>(body.size()));
    PutI32(out, when.day);
    PutI32(out, when.month);
    PutI32(out, when.year);
    PutI32(out, when.hours);
    PutI32(out, when.minutes);
    out->append(body);
}

SlotReader::SlotReader() : game_(new SlotGame) {}

SlotReader::~SlotReader() {
    delete game_;
}

const SavedExtras &SlotReader::Extras() const {
    return game_->extras;
}

namespace {

// Reads a tile list whose count must fit what is left of the 28 tiles.
bool ReadList(Cursor *c, int32_t room, std::vector<int32_t> *out, std::string *error,
              const char *what) {
    const int32_t count = c->I32();
    if (c->Short()) return true;  // reported once, by the caller
    if (count < 0 || count > room) {
        *error = std::string("bad count of ") + what;
        return false;
    }
    out->clear();
    for (int32_t i = 0; i < count && !c->Short(); ++i) out->push_back(c->I32());
    return true;
}

}  // namespace

bool SlotReader::Read(const uint8_t *data, size_t size) {
    ok_ = false;
    error_.clear();
    SlotGame g;
    SlotHeader h;
    auto fail = [this](const std::string &why) {
        error_ = why;
        return false;
    };
    if (!data || size < size_t(kSlotHeaderSize)) return fail("file too short");
    ParseSlotHeader(data, size, &h);
    if (memcmp(data + 4, kSlotMagic, 4) != 0) return fail("not a saved game");
    const int32_t version = GetI32At(data + 8);
    if (version != kSlotVersion) {
        char text[64];
        snprintf(text, sizeof text, "saved by another version (%d)", int(version));
        return fail(text);
    }
    const int32_t bodySize = GetI32At(data + 12);
    if (bodySize < 0 || bodySize > kSlotMaxBody ||
        size_t(bodySize) != size - size_t(kSlotHeaderSize))
        return fail("file cut short or too long");
    if (h.kind != KindAgainstComputer && h.kind != KindTwoHumans) return fail("unknown game kind");
    if (h.day < 1 || h.day > 31 || h.month < 1 || h.month > 12 || h.year < 1900 || h.year > 9999 ||
        h.hours < 0 || h.hours > 23 || h.minutes < 0 || h.minutes > 59)
        return fail("bad date");

    Cursor c(data + kSlotHeaderSize, size_t(bodySize));
    g.extras.kind = h.kind;
    g.extras.level = c.I32();
    g.current = c.I32();
    g.firstMove = c.I32();
    g.startTile = c.I32();
    g.selected = c.I32();
    g.placementAngle = c.F32();
    g.lastAction = c.I32();
    g.cpuPending = c.I32();
    g.cpuDelay = c.F32();
    g.cpuTile = c.I32();
    g.cpuX = c.F32();
    g.cpuZ = c.F32();
    g.cpuAngle = c.F32();
    g.runAcross = c.I32();
    g.runAlong = c.I32();
    g.drawsThisTurn = c.I32();
    g.endCause = c.I32();
    for (SavedTile &t : g.tiles) {
        t.a = c.I32();
        t.b = c.I32();
        t.angle = c.F32();
        t.x = c.F32();
        t.z = c.F32();
        t.link1 = c.I32();
        t.link2 = c.I32();
    }
    int32_t room = kTiles;
    for (SavedSeat &s : g.seats) {
        s.isComputer = c.I32();
        const int32_t n = c.I32();
        if (!c.Short() && (n < 0 || n > kNameMax)) return fail("bad name length");
        for (int i = 0; i < kNameMax; ++i) {
            const uint16_t u = c.U16();
            // Units of the name are never 0, the unused ones always are.
            if (!c.Short() && (i < n) != (u != 0)) return fail("bad name");
            if (i < n) s.name[i] = u;
        }
        if (!ReadList(&c, room, &s.hand, &error_, "hand tiles")) return false;
        room -= static_cast<int32_t>(s.hand.size());
    }
    if (!ReadList(&c, room, &g.boneyard, &error_, "boneyard tiles")) return false;
    room -= static_cast<int32_t>(g.boneyard.size());
    if (!ReadList(&c, room, &g.placed, &error_, "laid tiles")) return false;
    const int32_t spotCount = c.I32();
    if (!c.Short() && (spotCount < 0 || spotCount > kMaxSpots)) return fail("bad count of spots");
    for (int32_t i = 0; i < spotCount && !c.Short(); ++i) {
        SavedSpot s;
        s.x = c.F32();
        s.z = c.F32();
        s.tile = c.I32();
        s.value = c.I32();
        s.mask = c.I32();
        g.spots.push_back(s);
    }
    g.extras.azimuth = c.F32();
    g.extras.elevation = c.F32();
    g.extras.distance = c.F32();
    for (float &t : g.extras.target) t = c.F32();
    g.extras.preset = c.I32();
    if (c.Short()) return fail("file cut short");
    if (c.Left() != 0) return fail("unexpected bytes at the end");

    // Every tile once, with its own values.
    bool seenPair[7][7] = {};
    for (const SavedTile &t : g.tiles) {
        if (t.a < 0 || t.a > 6 || t.b < t.a || t.b > 6) return fail("bad tile values");
        if (seenPair[t.a][t.b]) return fail("a tile appears twice");
        seenPair[t.a][t.b] = true;
    }
    // Each tile in exactly one of the hands, the boneyard and the table.
    enum { Nowhere, InHand0, InHand1, InBoneyard, OnTable };
    int where[kTiles];
    for (int &w : where) w = Nowhere;
    auto place = [&](const std::vector<int32_t> &list, int w) {
        for (int32_t i : list) {
            if (i < 0 || i >= kTiles || where[i] != Nowhere) return false;
            where[i] = w;
        }
        return true;
    };
    if (!place(g.seats[0].hand, InHand0) || !place(g.seats[1].hand, InHand1) ||
        !place(g.boneyard, InBoneyard) || !place(g.placed, OnTable))
        return fail("a tile is missing or held twice");
    const size_t total =
        g.seats[0].hand.size() + g.seats[1].hand.size() + g.boneyard.size() + g.placed.size();
    if (total != size_t(kTiles)) return fail("the tiles do not add up to 28");

    for (int i = 0; i < kTiles; ++i) {
        const SavedTile &t = g.tiles[i];
        if (!IsTableAngle(t.angle) || !OnBoard(t.x) || !OnBoard(t.z))
            return fail("a tile lies off the board");
        for (int32_t link : {t.link1, t.link2}) {
            if (link == -1) continue;
            if (where[i] != OnTable) return fail("a tile off the table is linked");
            if (link < 0 || link >= kTiles || link == i || where[link] != OnTable)
                return fail("a link points at no laid tile");
        }
    }
    for (const SavedSpot &s : g.spots) {
        if (!OnBoard(s.x) || !OnBoard(s.z)) return fail("a spot lies off the board");
        if (s.tile < 0 || s.tile >= kTiles || where[s.tile] != OnTable)
            return fail("a spot belongs to no laid tile");
        if (s.value < 0 || s.value > 6 || s.mask < 0 || s.mask > 15) return fail("bad spot");
    }

    // The seats and the turn.
    const bool twoHumans = h.kind == KindTwoHumans;
    if (g.seats[0].isComputer != 0 || g.seats[1].isComputer != (twoHumans ? 0 : 1))
        return fail("seats do not match the game kind");
    if (g.current != 0 && g.current != 1) return fail("bad seat to move");
    const int mine = g.current == 0 ? InHand0 : InHand1;
    auto inMyHand = [&](int32_t i) { return i >= 0 && i < kTiles && where[i] == mine; };
    if (g.firstMove != 0 && g.firstMove != 1) return fail("bad first-move flag");
    if (g.firstMove != (g.placed.empty() ? 1 : 0)) return fail("first move and table disagree");
    if (g.firstMove ? !inMyHand(g.startTile) : (g.startTile < -1 || g.startTile >= kTiles))
        return fail("bad starting tile");
    if (g.selected != -1 && !inMyHand(g.selected)) return fail("bad selected tile");
    if (!IsTableAngle(g.placementAngle)) return fail("bad placement angle");
    if (g.lastAction != ActionNone && (g.lastAction < ActionHuman || g.lastAction > ActionDraw))
        return fail("bad last action");
    if (g.cpuPending != 0 && g.cpuPending != 1) return fail("bad pending flag");
    if (!std::isfinite(g.cpuDelay) || g.cpuDelay < 0.0f || g.cpuDelay > Rules::kCpuDelay)
        return fail("bad computer countdown");
    // The computer's last move stays recorded after it is made; only a
    // lay still waiting for its countdown must name a tile the computer holds.
    if (g.cpuTile < -1 || g.cpuTile >= kTiles) return fail("bad computer move");
    if (g.seats[g.current].isComputer && g.cpuPending && g.lastAction == ActionLay &&
        !inMyHand(g.cpuTile))
        return fail("bad computer move");
    if (!IsTableAngle(g.cpuAngle) || !OnBoard(g.cpuX) || !OnBoard(g.cpuZ))
        return fail("bad computer move");
    for (int32_t n : {g.runAcross, g.runAlong, g.drawsThisTurn})
        if (n < 0 || n > kTiles) return fail("bad counter");
    if (g.endCause != EndEmptyHand && g.endCause != EndBlocked) return fail("bad end cause");

    const SavedExtras &e = g.extras;
    if (e.level < 0 || e.level > 1) return fail("bad computer level");
    if (!std::isfinite(e.azimuth) || std::fabs(e.azimuth) > 1.0e6f || !std::isfinite(e.elevation) ||
        e.elevation < -90.0f || e.elevation > 90.0f || !std::isfinite(e.distance) ||
        e.distance < Camera::kMinDistance || e.distance > Camera::kMaxDistance || e.preset < 1 ||
        e.preset > 3)
        return fail("bad camera");
    for (float t : e.target)
        if (!std::isfinite(t) || std::fabs(t) > kTargetReach) return fail("bad camera");

    *game_ = g;
    header_ = h;
    ok_ = true;
    return true;
}

bool SlotReader::Apply(Rules *rules) const {
    if (!ok_ || !rules) return false;
    if (static_cast<int>(rules->tiles.size()) != kTiles) rules->Setup();
    const SlotGame &g = *game_;
    auto tile = [rules](int32_t i) -> Tile * {
        return i >= 0 && i < kTiles ? &rules->tiles[size_t(i)] : nullptr;
    };
    for (int i = 0; i < kTiles; ++i) {
        const SavedTile &s = g.tiles[i];
        Tile &t = rules->tiles[size_t(i)];
        t.a = s.a;
        t.b = s.b;
        t.angle = s.angle;
        t.x = s.x;
        t.z = s.z;
        t.link1 = tile(s.link1);
        t.link2 = tile(s.link2);
    }
    for (int seat = 0; seat < 2; ++seat) {
        Player &p = rules->players[seat];
        p.isComputer = g.seats[seat].isComputer;
        memset(p.name, 0, sizeof p.name);
        memcpy(p.name, g.seats[seat].name, sizeof g.seats[seat].name);
        p.ClearHand();
        for (int32_t i : g.seats[seat].hand) p.AddToHand(tile(i));
        p.handPips = p.SumPips();
    }
    rules->boneyard.clear();
    for (int32_t i : g.boneyard) rules->boneyard.push_back(tile(i));
    rules->board.SetSize(32, 32);
    rules->board.Clear();
    for (int32_t i : g.placed) rules->board.placed.push_back(tile(i));
    for (const SavedSpot &s : g.spots) {
        Spot spot;
        spot.x = s.x;
        spot.z = s.z;
        spot.tile = tile(s.tile);
        spot.value = s.value;
        spot.mask = s.mask;
        rules->board.spots.push_back(spot);
    }
    rules->playerCount = 2;
    rules->current = g.current;
    rules->firstMove = g.firstMove;
    rules->startTile = tile(g.startTile);
    rules->selected = tile(g.selected);
    rules->placementAngle = g.placementAngle;
    rules->placementLegal = 0;
    rules->lastAction = g.lastAction;
    rules->cpuPending = g.cpuPending;
    rules->cpuDelay = g.cpuDelay;
    rules->cpuMove.tile = tile(g.cpuTile);
    rules->cpuMove.x = g.cpuX;
    rules->cpuMove.z = g.cpuZ;
    rules->cpuMove.angle = g.cpuAngle;
    rules->runAcross = g.runAcross;
    rules->runAlong = g.runAlong;
    rules->drawsThisTurn = g.drawsThisTurn;
    rules->endCause = g.endCause;
    rules->turnEnded = 0;
    rules->CountMoves();
    return true;
}

void SlotReader::ApplyCamera(Camera *camera) const {
    if (!ok_ || !camera) return;
    const SavedExtras &e = game_->extras;
    camera->azimuth = e.azimuth;
    camera->elevation = e.elevation;
    camera->distance = e.distance;
    for (int i = 0; i < 3; ++i) camera->target[i] = e.target[i];
    camera->preset = e.preset;
    camera->labelCountdown = 0.0f;
    camera->UpdateEye();
}

}  // namespace game
