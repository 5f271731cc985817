// coord: a position or a size in character cells, shared by every map, surface and record.
#pragma once

struct Coord {
    int m_x;  // column, or width
    int m_y;  // row, or height
};
