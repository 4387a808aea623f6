#include "player/actions/hit_test.h"

bool PtInRectIncl(int x, int y, const TSkinRegion& r) {
    return r.Left <= x && x <= r.Right && r.Top <= y && y <= r.Bottom;
}

const TSkinRegion* HitRegion(const std::vector<TSkinRegion>& table, int x, int y, HitKind kind, bool mainShaded) {
    const int extra = kind == HitKind::Release ? 1 : 0;
    for (const TSkinRegion& r : table) {
        if (mainShaded && x >= 166 && x <= 219 && r.Name == QLatin1String("m_Title")) continue;
        if (r.Left <= x && x <= r.Right + extra && r.Top <= y && y <= r.Bottom) return &r;
    }
    return nullptr;
}
