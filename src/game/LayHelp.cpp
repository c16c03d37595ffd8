#include "game/LayHelp.h"

#include <algorithm>
#include <cmath>

namespace game {

namespace {

float RingDistance(const Spot &s, float bx, float bz) {
    float dx = bx - (s.x + kPointerCellOffset);
    float dz = bz - (s.z + kPointerCellOffset);
    return std::sqrt(dx * dx + dz * dz);
}

// Quarter turns from the placement angle to the drop's angle, 0..3.
int TurnsFrom(float placementAngle, float angle) {
    int from = AngleIndex(placementAngle);
    int to = AngleIndex(angle);
    if (from < 0 || to < 0) return 4;
    return (to - from + 4) % 4;
}

// A double prefers to lie across the line, the way doubles are laid.
int KindOrder(int kind) {
    return kind == AttachAcross ? 0 : kind;
}

}  // namespace

int LayHelp::NearestGroup(Rules &rules, float bx, float bz) {
    group_.clear();
    if (!enabled || rules.firstMove || !rules.HumanToMove() || !rules.selected) return 0;
    if (!std::isfinite(bx) || !std::isfinite(bz)) return 0;
    if (!ListDrops(rules.board, rules.selected, &drops_)) return 0;
    float best = kLayHelpReach;
    bool any = false;
    for (const Drop &d : drops_) {
        float dist = RingDistance(rules.board.spots[d.spot], bx, bz);
        if (dist > best) continue;
        if (!any || dist < best) {
            group_.clear();
            best = dist;
            any = true;
        }
        group_.push_back(d);
    }
    const float angle = rules.placementAngle;
    std::stable_sort(group_.begin(), group_.end(), [angle](const Drop &p, const Drop &q) {
        int tp = TurnsFrom(angle, p.angle), tq = TurnsFrom(angle, q.angle);
        if ((tp == 0) != (tq == 0)) return tp == 0;
        if (p.spot != q.spot) return p.spot < q.spot;
        if (tp != tq) return tp < tq;
        return KindOrder(p.kind) < KindOrder(q.kind);
    });
    return static_cast<int>(group_.size());
}

bool LayHelp::Find(Rules &rules, float bx, float bz, Drop *out) {
    if (!NearestGroup(rules, bx, bz)) return false;
    *out = group_.front();
    return true;
}

void LayHelp::Preview(Rules &rules, float bx, float bz) {
    Drop d;
    if (!Find(rules, bx, bz, &d)) {
        rules.PreviewPlacement(bx, bz);
        return;
    }
    rules.selected->angle = d.angle;
    rules.selected->x = d.x;
    rules.selected->z = d.z;
    rules.placementLegal = 1;
}

int LayHelp::Lay(Rules &rules, float bx, float bz) {
    Drop d;
    if (!Find(rules, bx, bz, &d)) return rules.DropSelected(bx, bz);
    // The usual path lays at the placement angle; the drop shown may use
    // another one, and the player's own angle carries on afterwards.
    const float keep = rules.placementAngle;
    rules.placementAngle = d.angle;
    int laid = rules.DropSelected(d.x, d.z);
    rules.placementAngle = keep;
    return laid;
}

void LayHelp::Turn(Rules &rules, float bx, float bz) {
    if (!NearestGroup(rules, bx, bz)) {
        rules.RotatePlacement();
        return;
    }
    const float shown = group_.front().angle;
    for (int k = 1; k < 4; ++k) {
        float next = TurnAngle(shown, 90 * k);
        for (const Drop &d : group_) {
            if (d.angle == next && d.spot == group_.front().spot) {
                rules.placementAngle = next;
                return;
            }
        }
    }
}

}  // namespace game
