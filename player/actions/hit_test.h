// The hit rule of the region tables: the first region in table order that holds the point wins,
// all four edges inside. A release also counts the column just right of a region, so a button
// let go on its right edge still clicks. The main window's title is passed over in shade mode
// between x 166 and 219, where the small buttons lie under it.
#pragma once

#include <vector>

#include "player/skin/skin_regions.h"

enum class HitKind { Press, Release };

const TSkinRegion* HitRegion(const std::vector<TSkinRegion>& table, int x, int y, HitKind kind, bool mainShaded);

// Left <= x <= Right and Top <= y <= Bottom.
bool PtInRectIncl(int x, int y, const TSkinRegion& r);
