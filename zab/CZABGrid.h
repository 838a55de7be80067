// The grid an element lays its children out on: one track per column and
// per row, each as large as the largest minimum of its cells, with the first
// non-zero flex weight of its cells. Spare space goes to flex tracks only.
#pragma once
#include <windows.h>
#include <vector>

class CZABGrid {
public:
    // What the grid needs of one child.
    struct Cell {
        SIZE minimum;
        int horizontalFlex;
        int verticalFlex;
    };
    // Shapes the grid for the children's cells, in child order, and
    // measures them. A document cannot ask for more than `mostTracks`
    // columns or rows.
    CZABGrid(const std::vector<Cell>& cells, int orientation, int columns, int rows, int mostTracks);

    int GetColumnCount() const;
    int GetRowCount() const;
    int ColumnOf(int child) const;
    int RowOf(int child) const;
    // Sum of the tracks plus the gaps between them.
    int GetWidth(int spacing) const;
    int GetHeight(int spacing) const;
    // Gives the space beyond the fixed tracks to the flex tracks by weight.
    void ShareWidth(int available);
    void ShareHeight(int available);
    // Distance of a track's start from the first track's start.
    int ColumnOffset(int column, int spacing) const;
    int RowOffset(int row, int spacing) const;
    int ColumnSize(int column) const;
    int RowSize(int row) const;
    // Sizes from documents can be anything; every sum the layout makes is
    // kept within a million pixels either way, far from overflow.
    static int Bounded(long long value);

private:
    struct Track {
        int size = 0;
        int flex = 0;
    };
    static int Span(const std::vector<Track>& tracks, int spacing);
    static int Offset(const std::vector<Track>& tracks, int index, int spacing);
    static void Share(std::vector<Track>& tracks, int available);

    int m_orientation;
    int m_columnCount = 0;
    int m_rowCount = 0;
    std::vector<Track> m_columns;
    std::vector<Track> m_rows;
};
