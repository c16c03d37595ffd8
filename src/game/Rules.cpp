#include "game/Rules.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "game/PlayLayout.h"

namespace game {

Rules::Rules(RulesHost *host) : host_(host) {}

void Rules::SetHost(RulesHost *host) {
    host_ = host;
}

void Rules::Play(Sound sound) {
    if (host_) host_->PlaySound(sound);
}

void Rules::Setup() {
    tiles.clear();
    tiles.reserve(kTileCount);
    for (int a = 0; a <= 6; ++a) {
        for (int b = a; b <= 6; ++b) {
            Tile t;
            t.a = a;
            t.b = b;
            tiles.push_back(t);
        }
    }
    board.SetSize(32, 32);
    boneyard.clear();
    for (Tile &t : tiles) boneyard.push_back(&t);
}

void Rules::Release() {
    board.Clear();
    for (Player &p : players) {
        p.ClearHand();
        p.handPips = 0;
    }
    boneyard.clear();
    tiles.clear();
    startTile = selected = nullptr;
    cpuMove = CpuMove();
}

Tile *Rules::FindTile(int a, int b) {
    for (Tile &t : tiles) {
        if ((t.a == a && t.b == b) || (t.a == b && t.b == a)) return &t;
    }
    return nullptr;
}

void Rules::NewGame() {
    // The tiles are referenced by pointer from everywhere, so they are made
    // once; a game started before start-up made them gets them here.
    if (static_cast<int>(tiles.size()) != kTileCount) Setup();

    if (host_) {
        host_->GameStarted();
        host_->ResetView();
    }
    cpuDelay = kCpuDelay;
    cpuPending = 0;
    runAcross = runAlong = 0;
    drawsThisTurn = 0;
    lastAction = ActionNone;
    endCause = EndEmptyHand;
    turnEnded = 0;

    for (int n = 0; n < 1000; ++n) {
        int i = rand() % kTileCount;
        int j = rand() % kTileCount;
        std::swap(tiles[i].a, tiles[j].a);
        std::swap(tiles[i].b, tiles[j].b);
    }

    boneyard.clear();
    for (Tile &t : tiles) {
        t.link1 = t.link2 = nullptr;
        boneyard.push_back(&t);
    }

    for (Player &p : players) p.ClearHand();
    for (Player &p : players) {
        for (int n = 0; n < kHandSize; ++n) {
            int k = rand() % static_cast<int>(boneyard.size());
            p.AddToHand(boneyard[k]);
            boneyard.erase(boneyard.begin() + k);
        }
        p.handPips = p.SumPips();
    }

    ChooseStarter();
    board.Clear();
    if (host_) host_->ResetFrameTimer();
}

// A tile beats the best so far on pips, or on equal pips when it shows a
// value higher than both of the best tile's values.
static bool BeatsStarter(const Tile *t, const Tile *best) {
    if (!best) return true;
    if (t->Pips() != best->Pips()) return t->Pips() > best->Pips();
    return (t->a > best->a && t->a > best->b) || (t->b > best->a && t->b > best->b);
}

void Rules::ChooseStarter() {
    int starter = -1;
    Tile *start = nullptr;
    // The highest double starts; the double blank is not looked for.
    for (int d = 6; d >= 1 && !start; --d) {
        for (int seat = 0; seat < 2 && !start; ++seat) {
            start = players[seat].Find(d, d);
            if (start) starter = seat;
        }
    }
    if (!start) {
        for (int seat = 0; seat < 2; ++seat) {
            for (Tile *t : players[seat].hand) {
                if (BeatsStarter(t, start)) {
                    start = t;
                    starter = seat;
                }
            }
        }
    }
    current = starter < 0 ? 0 : starter;
    startTile = start;
    selected = players[current].isComputer ? nullptr : startTile;
    firstMove = 1;
}

void Rules::DrawFromBoneyard(int seat) {
    if (!ValidSeat(seat) || boneyard.empty()) return;
    Tile *t = boneyard.front();
    boneyard.erase(boneyard.begin());
    players[seat].AddToHand(t);
    players[seat].handPips += t->Pips();
}

void Rules::EndTurn() {
    selected = nullptr;
    current = (current + 1) % 2;
    turnEnded = 1;
}

void Rules::BeginFrame() {
    turnEnded = 0;
    CountMoves();
}

void Rules::CountMoves() {
    if (!ValidSeat(current)) {
        moveCount[0] = moveCount[1] = 0;
        canLay[0] = canLay[1] = 0;
        return;
    }
    const int order[2] = {current, 1 - current};
    for (int seat : order) {
        int n = 0;
        for (const Tile *t : players[seat].hand) n += board.FindSpots(t, &scratchSpots_);
        moveCount[seat] = n;
        // Matching a spot by value is not enough: the geometry may refuse
        // every drop. The computer can lay what its own search finds.
        if (n == 0) {
            canLay[seat] = 0;
        } else if (players[seat].isComputer) {
            canLay[seat] = CollectCandidates(seat, &scratchCandidates_) > 0;
        } else {
            canLay[seat] = HasLegalDrop(seat);
        }
    }
}

void Rules::ComputerUpdate(float frameStep) {
    if (!ValidSeat(current) || !players[current].isComputer) return;
    if (cpuPending == 0) {
        lastAction = Decide();
        if (lastAction == ActionNone) fputs("Probleme : cpuresult = 0 !!!\n", stderr);
    }
    if (cpuPending == 1 && cpuDelay > 0.0f) {
        cpuDelay -= frameStep * 0.2f;
        if (cpuDelay <= 0.0f) {
            cpuDelay = 0.0f;
            ComputerAct();
        }
    }
}

void Rules::ComputerAct() {
    Player &p = players[current];
    if (lastAction == ActionLay && cpuMove.tile) {
        Tile *t = cpuMove.tile;
        Play(SoundPlace);
        t->x = cpuMove.x;
        t->z = cpuMove.z;
        t->angle = cpuMove.angle;
        board.Place(t, cpuMove.x, cpuMove.z);
        firstMove = 0;
        p.handPips -= t->Pips();
        p.RemoveFromHand(t);
        selected = nullptr;
        drawsThisTurn = 0;
        current = (current + 1) % 2;
        turnEnded = 1;
    } else if (lastAction == ActionDraw) {
        Play(SoundDraw);
        DrawFromBoneyard(current);
        cpuPending = 0;
        drawsThisTurn += 1;
        lastAction = Decide();
    } else {
        Play(SoundSkip);
        EndTurn();
    }
}

int Rules::CheckEnd() {
    int winner;
    if (players[0].hand.empty()) {
        Play(SoundWin);
        winner = 0;
        endCause = EndEmptyHand;
    } else if (players[1].hand.empty()) {
        Play(SoundLose);
        winner = 1;
        endCause = EndEmptyHand;
    } else {
        if (!turnEnded) return 0;
        // A seat counts as unable to play when it cannot lay anything, even
        // if some of its tiles match a spot by value; otherwise two such
        // seats would pass to each other for ever.
        bool stuck = !canLay[0] && !canLay[1];
        bool blocked = boneyard.empty() ? stuck
                                        : stuck && players[0].HandSize() == kMaxHand &&
                                              players[1].HandSize() == kMaxHand;
        if (!blocked) return 0;
        endCause = EndBlocked;
        if (players[0].handPips < players[1].handPips) {
            Play(SoundWin);
            winner = 0;
        } else if (players[1].handPips < players[0].handPips) {
            Play(SoundLose);
            winner = 1;
        } else {
            winner = -1;
        }
    }
    current = winner;
    if (host_) host_->GameEnded();
    return 1;
}

bool Rules::HumanToMove() const {
    return ValidSeat(current) && !players[current].isComputer;
}

void Rules::HumanActed() {
    lastAction = ActionHuman;
    cpuDelay = kCpuDelay;
    cpuPending = 0;
    drawsThisTurn = 0;
}

int Rules::SelectSlot(int slot) {
    if (!HumanToMove() || firstMove) return 0;
    Tile *t = players[current].HandTileAt(slot < 0 ? 0 : slot);
    if (t && board.FindSpots(t, &scratchSpots_) > 0) {
        selected = t;
        Play(SoundChoose);
        return 1;
    }
    selected = nullptr;
    Play(SoundError);
    return 0;
}

int Rules::DropSelected(float x, float z) {
    if (!HumanToMove() || !selected) return 0;
    Player &p = players[current];
    Tile *t = selected;
    if (std::find(p.hand.begin(), p.hand.end(), t) == p.hand.end()) {
        // A selection left over from another seat is not this seat's to lay.
        selected = nullptr;
        return 0;
    }
    t->angle = placementAngle;
    if (!firstMove && !board.CanPlace(t, x, z)) {
        Play(SoundError);
        return 0;
    }
    p.handPips -= t->Pips();
    Play(SoundPlace);
    board.Place(t, x, z);
    firstMove = 0;
    p.RemoveFromHand(t);
    HumanActed();
    EndTurn();
    return 1;
}

void Rules::RotatePlacement() {
    if (!HumanToMove()) return;
    placementAngle = TurnAngle(placementAngle, 90);
}

bool Rules::MayPassOrDraw() const {
    if (!ValidSeat(current) || firstMove) return false;
    // A seat whose tiles match spots by value but fit nowhere would otherwise
    // have no legal action at all.
    return moveCount[current] == 0 || !canLay[current];
}

int Rules::Pass() {
    if (!HumanToMove() || !MayPassOrDraw()) return 0;
    Play(SoundSkip);
    HumanActed();
    EndTurn();
    return 1;
}

int Rules::TakeFromBoneyard() {
    if (!HumanToMove() || !MayPassOrDraw()) return 0;
    if (players[current].HandSize() >= kMaxHand) {
        Play(SoundError);
        return 0;
    }
    Play(SoundDraw);
    bool any = !boneyard.empty();
    DrawFromBoneyard(current);
    return any ? 1 : 0;
}

void Rules::Escape() {
    if (!HumanToMove()) return;
    if (host_) host_->LeaveRequested();
}

bool Rules::HasLegalDrop(int seat) {
    if (!ValidSeat(seat)) return false;
    bool found = false;
    for (Tile *t : players[seat].hand) {
        const Tile saved = *t;
        board.FindSpots(t, &scratchSpots_);
        for (const Spot &s : scratchSpots_) {
            for (int k = 0; k < 4 && !found; ++k) {
                t->angle = static_cast<float>(90 * k);
                float dx, dz;
                AngleDir(t->angle, &dx, &dz);
                // The a half, the b half or the middle of a double on the spot.
                found = board.CanPlace(t, s.x, s.z) || board.CanPlace(t, s.x - dx, s.z - dz) ||
                        (t->IsDouble() && board.CanPlace(t, s.x - dx * 0.5f, s.z - dz * 0.5f));
            }
            if (found) break;
        }
        t->x = saved.x;
        t->z = saved.z;
        t->angle = saved.angle;
        if (found) return true;
    }
    return false;
}

void Rules::PreviewPlacement(float boardX, float boardZ) {
    if (!HumanToMove() || !selected) return;
    selected->angle = placementAngle;
    if (firstMove) {
        selected->x = boardX;
        selected->z = boardZ;
        placementLegal = 1;
    } else {
        placementLegal = board.CanPlace(selected, boardX, boardZ) != 0;
    }
}

bool Rules::PointerOverBoard(int x, int y, int width, int height) const {
    if (!ValidSeat(current)) return true;
    if (static_cast<float>(y) < static_cast<float>(height) * 0.8f) return true;
    int handEnd = layout::HandLeft(width) + players[current].HandSize() * layout::HandPitch(width);
    if (!MayPassOrDraw()) return x > handEnd;
    return x > handEnd && x < layout::ButtonsLeft(width);
}

void Rules::CountRuns(float angle) {
    if (angle == 0.0f || angle == 180.0f) {
        runAcross += 1;
        runAlong = 0;
    } else {
        runAlong += 1;
        runAcross = 0;
    }
}

}  // namespace game
