#include "game/ComputerLevel1.h"

#include <vector>

#include "game/Drops.h"
#include "game/Rules.h"

namespace game {

namespace {

int Bit(int v) {
    return v >= 0 && v <= 6 ? 1 << v : 0;
}

int TileBits(const Tile &t) {
    return Bit(t.a) | Bit(t.b);
}

int CountBits(int bits) {
    int n = 0;
    for (; bits; bits &= bits - 1) ++n;
    return n;
}

// The tiles neither in this seat's hand nor on the table: the opponent's
// hand and the boneyard, seen from this seat.
struct Unseen {
    int bits[28];  // TileBits of each unseen tile
    int count = 0;
};

void FindUnseen(const Rules &rules, int seat, Unseen *out) {
    bool seen[7][7] = {};
    auto mark = [&seen](const Tile *t) {
        if (t && t->a >= 0 && t->b <= 6 && t->a <= t->b) seen[t->a][t->b] = true;
    };
    for (const Tile *t : rules.players[seat].hand) mark(t);
    for (const Tile *t : rules.board.placed) mark(t);
    out->count = 0;
    for (int a = 0; a <= 6; ++a) {
        for (int b = a; b <= 6; ++b) {
            if (!seen[a][b]) out->bits[out->count++] = Bit(a) | Bit(b);
        }
    }
}

// Chance that a hand of `held` tiles, drawn from `pool` tiles of which
// `answers` match, holds none of them.
float ChanceOfNone(int pool, int answers, int held) {
    if (held <= 0) return 1.0f;
    if (pool - answers < held) return 0.0f;
    float p = 1.0f;
    for (int i = 0; i < held; ++i) {
        p *= static_cast<float>(pool - answers - i) / static_cast<float>(pool - i);
    }
    return p;
}

// The links of the tiles offering spots: all that laying a tile on a copy
// of the board changes in other tile records, put back after each trial.
struct SavedLinks {
    Tile *tile;
    Tile *link1;
    Tile *link2;
};

int SpotValues(const Board &board) {
    int bits = 0;
    for (const Spot &s : board.spots) bits |= Bit(s.value);
    return bits;
}

// What the opponent did since this seat last acted, read from the table:
// a shrunken boneyard means it drew, an unchanged table that it laid nothing.
void ReadOpponent(const Rules &rules, ComputerNotes *notes) {
    if (notes->placed < 0 || notes->drawsThisTurn > 0) return;
    const int placed = static_cast<int>(rules.board.placed.size());
    const bool drew = static_cast<int>(rules.boneyard.size()) < notes->boneyard;
    const bool laid = placed > notes->placed;
    if (drew) {
        // The tiles it drew may show what it lacked before.
        notes->lacks &= notes->openAfter;
        notes->lacks |= notes->openAfter;
    } else if (!laid) {
        notes->lacks |= notes->openAfter;
    }
    if (laid && rules.board.placed.back()) {
        // It held the values it just laid; what it lacked there is unsure now.
        notes->lacks &= ~TileBits(*rules.board.placed.back());
    }
}

}  // namespace

int32_t OpenValues(const Rules &rules) {
    return SpotValues(rules.board);
}

int DecideLevel1(Rules &rules, int seat, ComputerNotes *notes, CpuMove *move,
                 const Level1Weights &w) {
    if (seat != 0 && seat != 1) return ActionPass;
    Player &me = rules.players[seat];
    const Player &other = rules.players[1 - seat];
    ReadOpponent(rules, notes);

    Unseen unseen;
    FindUnseen(rules, seat, &unseen);
    // The opponent's possible tiles: the unseen ones without a value it
    // lacks. Notes that no longer fit what is unseen are not trusted.
    int held = other.HandSize();
    int pool[28];
    int poolCount = 0;
    for (int i = 0; i < unseen.count; ++i) {
        if (!(unseen.bits[i] & notes->lacks)) pool[poolCount++] = unseen.bits[i];
    }
    if (poolCount < held) {
        poolCount = unseen.count;
        for (int i = 0; i < unseen.count; ++i) pool[i] = unseen.bits[i];
    }

    std::vector<Drop> drops;
    std::vector<SavedLinks> links;
    for (const Spot &s : rules.board.spots) {
        if (s.tile) links.push_back({s.tile, s.tile->link1, s.tile->link2});
    }
    Board trial;
    float bestScore = 0.0f;
    bool found = false;
    int bestOpen = 0;
    for (Tile *t : me.hand) {
        if (!ListDrops(rules.board, t, &drops)) continue;
        int restBits = 0;
        for (const Tile *u : me.hand) {
            if (u != t) restBits |= TileBits(*u);
        }
        for (const Drop &d : drops) {
            const Tile saved = *t;
            trial.placed = rules.board.placed;
            trial.spots = rules.board.spots;
            t->angle = d.angle;
            trial.Place(t, d.x, d.z);
            const int open = SpotValues(trial);
            *t = saved;
            for (const SavedLinks &l : links) {
                l.tile->link1 = l.link1;
                l.tile->link2 = l.link2;
            }
            int follow = 0;
            for (const Tile *u : me.hand) {
                if (u != t && (TileBits(*u) & open)) ++follow;
            }
            int answers = 0;
            for (int i = 0; i < poolCount; ++i) answers += (pool[i] & open) != 0;
            float score = w.pips * static_cast<float>(t->Pips()) +
                          (t->IsDouble() ? w.isDouble : 0.0f) +
                          w.variety * static_cast<float>(CountBits(restBits)) +
                          w.follow * static_cast<float>(follow < 4 ? follow : 4) +
                          w.block * ChanceOfNone(poolCount, answers, held);
            if (!found || score > bestScore) {
                found = true;
                bestScore = score;
                bestOpen = open;
                move->tile = t;
                move->x = d.x;
                move->z = d.z;
                move->angle = d.angle;
            }
        }
    }

    int action;
    if (found) {
        action = ActionLay;
        notes->openAfter = bestOpen;
    } else {
        // The computer's own draw rule, seen from this seat: nothing to lay,
        // fewer than 10 tiles held, the other seat not more than one tile
        // behind, and fewer than two draws this turn; else a pass. (Drawing
        // on regardless fills the hand and loses the blocked games.)
        const int own = me.HandSize();
        action = own < Rules::kMaxHand && other.HandSize() + 2 > own && notes->drawsThisTurn < 2 &&
                         !rules.boneyard.empty()
                     ? ActionDraw
                     : ActionPass;
        notes->openAfter = SpotValues(rules.board);
    }
    notes->placed = static_cast<int>(rules.board.placed.size()) + (found ? 1 : 0);
    notes->boneyard = static_cast<int>(rules.boneyard.size());
    notes->drawsThisTurn = action == ActionDraw ? notes->drawsThisTurn + 1 : 0;
    return action;
}

}  // namespace game
