#include "zab/CZABGrid.h"

#include <algorithm>

int CZABGrid::Bounded(long long value) {
    const long long largest = 1 << 20;
    return static_cast<int>(std::max(-largest, std::min(largest, value)));
}

CZABGrid::CZABGrid(const std::vector<Cell>& cells, int orientation, int columns, int rows, int mostTracks)
    : m_orientation(orientation) {
    const int count = static_cast<int>(cells.size());
    if (count == 0) return;
    const int most = mostTracks;
    if (orientation == 1) {
        m_rowCount = rows > 0 ? std::min(rows, most) : count;
        m_columnCount = (count + m_rowCount - 1) / m_rowCount;
    } else {
        m_columnCount = columns > 0 ? std::min(columns, most) : count;
        m_rowCount = (count + m_columnCount - 1) / m_columnCount;
    }
    m_columns.resize(m_columnCount);
    m_rows.resize(m_rowCount);
    for (int i = 0; i < count; ++i) {
        const Cell& cell = cells[i];
        Track& column = m_columns[ColumnOf(i)];
        Track& row = m_rows[RowOf(i)];
        if (column.flex == 0) column.flex = std::max(0, cell.horizontalFlex);
        if (row.flex == 0) row.flex = std::max(0, cell.verticalFlex);
        column.size = std::max<int>(column.size, Bounded(cell.minimum.cx));
        row.size = std::max<int>(row.size, Bounded(cell.minimum.cy));
    }
}

int CZABGrid::GetColumnCount() const {
    return m_columnCount;
}

int CZABGrid::GetRowCount() const {
    return m_rowCount;
}

int CZABGrid::ColumnOf(int child) const {
    return m_orientation == 1 ? child / m_rowCount : child % m_columnCount;
}

int CZABGrid::RowOf(int child) const {
    return m_orientation == 1 ? child % m_rowCount : child / m_columnCount;
}

int CZABGrid::GetWidth(int spacing) const {
    return Span(m_columns, spacing);
}

int CZABGrid::GetHeight(int spacing) const {
    return Span(m_rows, spacing);
}

void CZABGrid::ShareWidth(int available) {
    Share(m_columns, available);
}

void CZABGrid::ShareHeight(int available) {
    Share(m_rows, available);
}

int CZABGrid::ColumnOffset(int column, int spacing) const {
    return Offset(m_columns, column, spacing);
}

int CZABGrid::RowOffset(int row, int spacing) const {
    return Offset(m_rows, row, spacing);
}

int CZABGrid::ColumnSize(int column) const {
    return m_columns[column].size;
}

int CZABGrid::RowSize(int row) const {
    return m_rows[row].size;
}

int CZABGrid::Span(const std::vector<Track>& tracks, int spacing) {
    if (tracks.empty()) return 0;
    return Offset(tracks, static_cast<int>(tracks.size()) - 1, spacing) + tracks.back().size;
}

int CZABGrid::Offset(const std::vector<Track>& tracks, int index, int spacing) {
    long long offset = 0;
    for (int i = 0; i < index; ++i) offset += static_cast<long long>(tracks[i].size) + spacing;
    return Bounded(offset);
}

// Flex tracks get their share of the spare space even when that is less
// than they measured; without spare space every track keeps its size.
void CZABGrid::Share(std::vector<Track>& tracks, int available) {
    long long fixed = 0;
    long long total = 0;
    for (const Track& track : tracks) {
        if (track.flex == 0) fixed += track.size;
        total += track.flex;
    }
    const long long spare = available - fixed;
    if (spare <= 0 || total <= 0) return;
    for (Track& track : tracks) {
        if (track.flex != 0) track.size = Bounded(spare * track.flex / total);
    }
}
