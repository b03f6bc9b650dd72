#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <memory>
#include <vector>

struct sqlite3_stmt;

// A whole result set in memory, row by row: one 8-byte slot and one kind
// byte per cell, in chunks so that growing never copies; texts of up to
// 8 bytes live in the slot, longer ones in chunked UTF-8 arenas.
class XResultSet
{
public:
    enum Kind : uint8_t { Null = 0, Int = 1, Real = 2, Text = 3, Blob = 4, InlineText = 16 };

    void Reset(int columns);
    void AppendRow(sqlite3_stmt* stmt);   // the current row of a stepped statement
    void AppendValues(const QVariantList& values);   // one row as a statement would give it
    void Finish() {}

    int Rows() const { return m_rows; }
    int Columns() const { return m_cols; }

    Kind CellKind(int row, int col) const
    {
        const uint8_t k = kindAt(index(row, col));
        return k >= InlineText ? Text : Kind(k);
    }
    bool IsNull(int row, int col) const { return kindAt(index(row, col)) == Null; }
    qint64 Int64(int row, int col) const;     // the stored integer (Int cells)
    double Double(int row, int col) const;    // the stored real (Real cells)
    QString String(int row, int col) const;   // the stored text (Text cells)
    QByteArray Bytes(int row, int col) const; // text or blob bytes
    int TextLength(int row, int col) const;   // UTF-8 bytes of a text cell

    size_t MemoryBytes() const;

private:
    static constexpr int CellBits = 12;                 // 4096 cells a chunk
    static constexpr size_t CellsPerChunk = size_t(1) << CellBits;
    static constexpr size_t ArenaChunk = 64 * 1024;     // bytes of one text chunk
    static constexpr uint64_t LenMask = (uint64_t(1) << 22) - 1;

    struct CellChunk
    {
        uint64_t slot[CellsPerChunk];
        uint8_t kind[CellsPerChunk];
    };
    struct ArenaBlock
    {
        std::unique_ptr<char[]> data;
        size_t size = 0;
        size_t used = 0;
    };

    size_t index(int row, int col) const { return size_t(row) * size_t(m_cols) + size_t(col); }
    uint8_t kindAt(size_t i) const { return m_chunks[i >> CellBits]->kind[i & (CellsPerChunk - 1)]; }
    uint64_t slotAt(size_t i) const { return m_chunks[i >> CellBits]->slot[i & (CellsPerChunk - 1)]; }
    uint64_t storeText(const char* p, size_t len);
    template <class F>
    void appendCells(F Cell);
    uint8_t bytesCell(const void* p, size_t len, bool text, uint64_t& slot);
    const char* textData(size_t i, int* len) const;

    int m_cols = 0;
    int m_rows = 0;
    size_t m_cells = 0;
    std::vector<std::unique_ptr<CellChunk>> m_chunks;
    std::vector<ArenaBlock> m_arena;
};
