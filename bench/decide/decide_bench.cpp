// Cost of the computer's decision on a crowded board (more than 20 tiles laid,
// a hand of 10), at level 0 and at level 1, against one sweep of CanPlace over
// the board's spots measured in the same run, and the per-frame move count
// that runs while anyone plays.
//
// The board is grown from two double-six sets, so that 20+ laid tiles and a
// hand of 10 can coexist; the rules never look at where a tile record lives.

#include <benchmark/benchmark.h>

#include <memory>

#include "game/Autoplay.h"
#include "game/Drops.h"

namespace {

using namespace game;

struct Crowded {
    Rules rules;
    std::vector<Tile> pool;
    int candidates = 0;

    explicit Crowded(uint64_t seed) {
        rules.Setup();
        rules.players[0].isComputer = 0;
        rules.players[1].isComputer = 1;
        for (int set = 0; set < 2; ++set) {
            for (int a = 0; a <= 6; ++a) {
                for (int b = a; b <= 6; ++b) {
                    Tile t;
                    t.a = a;
                    t.b = b;
                    pool.push_back(t);
                }
            }
        }
        // Grow the layout with the computer's own legal moves, chosen at
        // random so the line spreads over the table.
        SeatRandom random(seed);
        Player &seat = rules.players[1];
        for (size_t i = 1; i < pool.size(); ++i) seat.AddToHand(&pool[i]);
        pool[0].angle = 0;
        rules.board.Place(&pool[0], 15, 15);
        rules.firstMove = 0;
        rules.current = 1;
        std::vector<Candidate> list;
        while (rules.board.placed.size() < 24 && rules.CollectCandidates(1, &list) > 0) {
            const Candidate &c = list[random.Below(static_cast<int>(list.size()))];
            c.tile->angle = c.angle;
            rules.board.Place(c.tile, c.x, c.z);
            seat.RemoveFromHand(c.tile);
        }
        // A hand of 10 that still has moves: matching tiles first.
        std::vector<Tile *> rest = seat.hand, hand;
        std::vector<Spot> spots;
        for (Tile *t : rest) {
            if (hand.size() < 10 && rules.board.FindSpots(t, &spots) > 0) hand.push_back(t);
        }
        for (Tile *t : rest) {
            if (hand.size() < 10 && rules.board.FindSpots(t, &spots) == 0) hand.push_back(t);
        }
        seat.hand = hand;
        seat.handPips = seat.SumPips();
        for (int i = 0; i < 7; ++i) rules.players[0].AddToHand(rest[rest.size() - 1 - i]);
        candidates = rules.CollectCandidates(1, &list);
    }
};

// Of a few grown layouts, the one leaving the most open spots: the busiest
// board for the search.
Crowded &Table() {
    static std::unique_ptr<Crowded> table;
    if (!table) {
        for (uint64_t seed = 1; seed <= 40; ++seed) {
            std::unique_ptr<Crowded> c(new Crowded(seed));
            if (c->rules.board.placed.size() < 24 || c->candidates == 0) continue;
            if (!table || c->rules.board.spots.size() > table->rules.board.spots.size()) {
                table = std::move(c);
            }
        }
    }
    return *table;
}

void Describe(benchmark::State &state) {
    Crowded &c = Table();
    state.counters["placed"] = static_cast<double>(c.rules.board.placed.size());
    state.counters["spots"] = static_cast<double>(c.rules.board.spots.size());
    state.counters["hand"] = c.rules.players[1].HandSize();
    state.counters["candidates"] = c.candidates;
}

// Baseline: one tile tried once at every open spot.
void BM_CanPlaceSweep(benchmark::State &state) {
    Crowded &c = Table();
    Tile *t = c.rules.players[1].hand[0];
    for (auto _ : state) {
        int legal = 0;
        for (const Spot &s : c.rules.board.spots) legal += c.rules.board.CanPlace(t, s.x, s.z) != 0;
        benchmark::DoNotOptimize(legal);
    }
    Describe(state);
}
BENCHMARK(BM_CanPlaceSweep)->Unit(benchmark::kMicrosecond);

void BM_Decide(benchmark::State &state) {
    Crowded &c = Table();
    for (auto _ : state) {
        c.rules.runAcross = c.rules.runAlong = 0;
        c.rules.current = 1;
        benchmark::DoNotOptimize(c.rules.Decide());
    }
    Describe(state);
}
BENCHMARK(BM_Decide)->Unit(benchmark::kMicrosecond);

// The stronger computer on the same table: every legal drop of every tile,
// each tried on a copy of the board to judge the ends it leaves.
void BM_DecideLevel1(benchmark::State &state) {
    Crowded &c = Table();
    std::vector<Drop> drops;
    int legal = 0;
    for (Tile *t : c.rules.players[1].hand) legal += ListDrops(c.rules.board, t, &drops);
    c.rules.level = 1;
    for (auto _ : state) {
        c.rules.current = 1;
        c.rules.notes[1] = ComputerNotes();
        benchmark::DoNotOptimize(c.rules.Decide());
    }
    c.rules.level = 0;
    Describe(state);
    state.counters["drops"] = legal;
}
BENCHMARK(BM_DecideLevel1)->Unit(benchmark::kMicrosecond);

// What every frame of play costs the rules: both seats' counts, including
// whether each can really lay a tile.
void BM_CountMoves(benchmark::State &state) {
    Crowded &c = Table();
    for (auto _ : state) {
        c.rules.current = 0;
        c.rules.CountMoves();
        benchmark::DoNotOptimize(c.rules.canLay[0]);
    }
    Describe(state);
}
BENCHMARK(BM_CountMoves)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
