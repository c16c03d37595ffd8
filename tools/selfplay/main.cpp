// Plays whole games without a display, seat 0 through the human's controls
// only and seat 1 by the computer, and prints how they ended. Seat 0 is a
// simple player choosing among the legal drops at random, or, with
// --seat0-level, the computer's own judgement at that level; --seat1-level
// sets the computer seat's level. Every figure that should be 0 in a sound
// game is printed too: stuck positions, unfinished games, lays the board had
// not accepted and tiles laid over others.
//
//   selfplay [N] [--games N] [--seed S] [--max-turns T] [--seat0-level L]
//            [--seat1-level L] [--verbose]
//
// Game g of a run is dealt from seed S + g, so any one game can be replayed
// alone with --seed S+g --games 1.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/Autoplay.h"

namespace {

struct Tally : public game::MatchObserver {
    long illegal = 0;
    long overlapping = 0;

    void AfterFrame(const game::Board &before, const game::Rules &rules) override {
        if (rules.board.placed.size() <= before.placed.size() || before.placed.empty()) return;
        const game::Tile *laid = rules.board.placed.back();
        game::Tile probe = *laid;
        if (!before.CanPlace(&probe, laid->x, laid->z)) illegal += 1;
        for (const game::Tile *t : before.placed) {
            if (game::FootprintsOverlap(*t, *laid)) {
                overlapping += 1;
                break;
            }
        }
    }
};

void Usage() {
    fprintf(stderr,
            "usage: selfplay [N] [--games N] [--seed S] [--max-turns T] [--seat0-level L]\n"
            "                [--seat1-level L] [--verbose]\n"
            "  levels: 0 the computer as it always played, 1 the stronger one\n");
}

bool ReadCount(const char *text, long *out) {
    char *end = nullptr;
    long v = strtol(text, &end, 10);
    if (!end || *end || v < 0) return false;
    *out = v;
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    long games = 10000, seed = 1, maxTurns = 400;
    long seat0Level = -1, seat1Level = 0;  // -1: the simple player
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        long *target = nullptr;
        if (arg[0] != '-') {
            if (ReadCount(arg, &games)) continue;
            fprintf(stderr, "selfplay: bad game count '%s'\n", arg);
            Usage();
            return 2;
        }
        if (!strcmp(arg, "--games"))
            target = &games;
        else if (!strcmp(arg, "--seed"))
            target = &seed;
        else if (!strcmp(arg, "--max-turns"))
            target = &maxTurns;
        else if (!strcmp(arg, "--seat0-level"))
            target = &seat0Level;
        else if (!strcmp(arg, "--seat1-level"))
            target = &seat1Level;
        else if (!strcmp(arg, "--verbose")) {
            verbose = true;
            continue;
        } else if (!strcmp(arg, "--help")) {
            Usage();
            return 0;
        }
        if (!target || i + 1 >= argc || !ReadCount(argv[i + 1], target)) {
            fprintf(stderr, "selfplay: bad argument '%s'\n", arg);
            Usage();
            return 2;
        }
        ++i;
    }
    if (seat0Level > 1 || seat1Level > 1) {
        fprintf(stderr, "selfplay: the levels are 0 and 1\n");
        Usage();
        return 2;
    }

    game::Rules rules;
    Tally tally;
    long wins[2] = {0, 0}, blocked = 0, ties = 0, stuck = 0, unfinished = 0, refused = 0;
    long turns = 0, finished = 0, longest = 0, forced = 0;
    rules.level = static_cast<int32_t>(seat1Level);
    auto start = std::chrono::steady_clock::now();
    for (long g = 0; g < games; ++g) {
        unsigned gameSeed = static_cast<unsigned>(seed + g);
        // Fresh tiles for every game: the shuffle starts from the order the
        // previous game left, and a game must replay from its seed alone.
        rules.Setup();
        srand(gameSeed);
        game::SimpleSeat simple(gameSeed);
        game::ComputerSeat computer(static_cast<int>(seat0Level), gameSeed);
        game::SeatPlayer &seat =
            seat0Level < 0 ? static_cast<game::SeatPlayer &>(simple) : computer;
        game::MatchResult r = game::PlayMatch(rules, seat, static_cast<int>(maxTurns), &tally);
        forced += computer.forcedLays;
        if (games >= 50000 && (g + 1) % (games / 10) == 0) {
            fprintf(stderr, "selfplay: %ld of %ld games\n", g + 1, games);
        }
        stuck += r.stuck;
        refused += r.refused;
        if (!r.ended) {
            unfinished += 1;
            if (verbose) {
                printf("game seed %u: unfinished after %d turns%s\n", gameSeed, r.turns,
                       r.stuck ? " (human seat stuck)" : "");
            }
            continue;
        }
        finished += 1;
        turns += r.turns;
        if (r.turns > longest) longest = r.turns;
        if (r.winner >= 0)
            wins[r.winner] += 1;
        else
            ties += 1;
        if (r.endCause == game::EndBlocked) blocked += 1;
    }
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    printf("games: %ld (seeds %ld..%ld)\n", games, seed, seed + games - 1);
    char seat0[32];
    if (seat0Level < 0)
        snprintf(seat0, sizeof seat0, "simple player");
    else
        snprintf(seat0, sizeof seat0, "level %ld", seat0Level);
    printf("wins seat 0 (%s): %ld\n", seat0, wins[0]);
    printf("wins seat 1 (computer, level %ld): %ld\n", seat1Level, wins[1]);
    if (wins[0] + wins[1] > 0) {
        printf("seat 0 share of games with a winner: %.1f %%\n",
               100.0 * static_cast<double>(wins[0]) / static_cast<double>(wins[0] + wins[1]));
    }
    printf("blocked: %ld\n", blocked);
    printf("ties: %ld\n", ties);
    printf("average turns: %.2f\n", finished ? static_cast<double>(turns) / finished : 0.0);
    printf("longest game: %ld turns\n", longest);
    printf("stuck: %ld\n", stuck);
    printf("unfinished: %ld\n", unfinished);
    printf("refused drops: %ld\n", refused);
    if (seat0Level == 0) printf("seat 0 lays the controls forced: %ld\n", forced);
    printf("illegal lays: %ld\n", tally.illegal);
    printf("overlapping lays: %ld\n", tally.overlapping);
    printf("time: %.2f s\n", seconds);
    return 0;
}
