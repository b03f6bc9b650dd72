#include "XResultSet.h"

#include <sqlite3.h>

#include <cstring>

void XResultSet::Reset(int columns)
{
    m_cols = columns;
    m_rows = 0;
    m_cells = 0;
    // The first chunks stay for the next run of the same statement.
    if (m_chunks.size() > 1)
        m_chunks.resize(1);
    if (m_arena.size() > 1)
        m_arena.resize(1);
    for (ArenaBlock& b : m_arena)
        b.used = 0;
}

// Arena slot: block (26 bits), offset in block (16 bits), length (22 bits;
// all ones for a text that has a block of its own).
uint64_t XResultSet::storeText(const char* p, size_t len)
{
    if (len >= ArenaChunk / 4) {
        ArenaBlock b;
        b.data.reset(new char[len]);
        std::memcpy(b.data.get(), p, len);
        b.size = b.used = len;
        m_arena.push_back(std::move(b));
        return (uint64_t(m_arena.size() - 1) << 38) | LenMask;
    }
    if (m_arena.empty() || m_arena.back().size != ArenaChunk || m_arena.back().used + len > ArenaChunk) {
        ArenaBlock b;
        b.data.reset(new char[ArenaChunk]);
        b.size = ArenaChunk;
        m_arena.push_back(std::move(b));
    }
    ArenaBlock& b = m_arena.back();
    const uint64_t off = b.used;
    std::memcpy(b.data.get() + off, p, len);
    b.used += len;
    return (uint64_t(m_arena.size() - 1) << 38) | (off << 22) | uint64_t(len);
}

namespace {

// A number's 8 bytes as a cell's slot.
template <class T>
uint64_t numberSlot(T Value)
{
    static_assert(sizeof(T) == 8);
    uint64_t slot;
    std::memcpy(&slot, &Value, 8);
    return slot;
}

} // namespace

// One row: Cell(column, slot, kind) gives every cell in turn.
template <class F>
void XResultSet::appendCells(F Cell)
{
    for (int c = 0; c < m_cols; ++c, ++m_cells) {
        const size_t chunk = m_cells >> CellBits;
        if (chunk == m_chunks.size())
            m_chunks.push_back(std::unique_ptr<CellChunk>(new CellChunk));   // left uninitialised
        CellChunk& ch = *m_chunks[chunk];
        const size_t at = m_cells & (CellsPerChunk - 1);
        uint64_t slot = 0;
        uint8_t kind = Null;
        Cell(c, slot, kind);
        ch.slot[at] = slot;
        ch.kind[at] = kind;
    }
    ++m_rows;
}

uint8_t XResultSet::bytesCell(const void* p, size_t len, bool text, uint64_t& slot)
{
    if (text && len <= 8) {
        if (len > 0)
            std::memcpy(&slot, p, len);
        return uint8_t(InlineText + len);
    }
    slot = storeText(static_cast<const char*>(p), len);
    return text ? Text : Blob;
}

void XResultSet::AppendValues(const QVariantList& values)
{
    appendCells([&](int c, uint64_t& slot, uint8_t& kind) {
        const QVariant v = values.value(c);
        if (v.isNull())
            return;
        switch (v.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
            slot = numberSlot(v.toDouble());
            kind = Real;
            break;
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::Bool:
            slot = numberSlot(qint64(v.toLongLong()));
            kind = Int;
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            kind = bytesCell(b.constData(), size_t(b.size()), false, slot);
            break;
        }
        default: {
            const QByteArray t = v.toString().toUtf8();
            kind = bytesCell(t.constData(), size_t(t.size()), true, slot);
        }
        }
    });
}

void XResultSet::AppendRow(sqlite3_stmt* stmt)
{
    appendCells([&](int c, uint64_t& slot, uint8_t& kind) {
        const int type = sqlite3_column_type(stmt, c);
        switch (type) {
        case SQLITE_INTEGER:
            slot = numberSlot(qint64(sqlite3_column_int64(stmt, c)));
            kind = Int;
            break;
        case SQLITE_FLOAT:
            slot = numberSlot(sqlite3_column_double(stmt, c));
            kind = Real;
            break;
        case SQLITE_TEXT:
        case SQLITE_BLOB: {
            const bool text = type == SQLITE_TEXT;
            const void* p = text ? static_cast<const void*>(sqlite3_column_text(stmt, c)) : sqlite3_column_blob(stmt, c);
            kind = bytesCell(p, size_t(sqlite3_column_bytes(stmt, c)), text, slot);
            break;
        }
        default:
            break;
        }
    });
}

qint64 XResultSet::Int64(int row, int col) const
{
    const uint64_t s = slotAt(index(row, col));
    qint64 v;
    std::memcpy(&v, &s, 8);
    return v;
}

double XResultSet::Double(int row, int col) const
{
    const uint64_t s = slotAt(index(row, col));
    double v;
    std::memcpy(&v, &s, 8);
    return v;
}

const char* XResultSet::textData(size_t i, int* len) const
{
    const uint8_t k = kindAt(i);
    if (k >= InlineText) {
        *len = k - InlineText;
        return reinterpret_cast<const char*>(&m_chunks[i >> CellBits]->slot[i & (CellsPerChunk - 1)]);
    }
    if (k == Text || k == Blob) {
        const uint64_t s = slotAt(i);
        const ArenaBlock& b = m_arena[size_t(s >> 38)];
        const uint64_t l = s & LenMask;
        *len = l == LenMask ? int(b.size) : int(l);
        return b.data.get() + ((s >> 22) & 0xFFFF);
    }
    *len = 0;
    return nullptr;
}

QString XResultSet::String(int row, int col) const
{
    int len = 0;
    const char* p = textData(index(row, col), &len);
    return p ? QString::fromUtf8(p, len) : QString();
}

QByteArray XResultSet::Bytes(int row, int col) const
{
    int len = 0;
    const char* p = textData(index(row, col), &len);
    return p ? QByteArray(p, len) : QByteArray();
}

int XResultSet::TextLength(int row, int col) const
{
    int len = 0;
    textData(index(row, col), &len);
    return len;
}

size_t XResultSet::MemoryBytes() const
{
    size_t n = m_chunks.size() * sizeof(CellChunk) + m_chunks.capacity() * sizeof(void*);
    for (const ArenaBlock& b : m_arena)
        n += b.size;
    return n + m_arena.capacity() * sizeof(ArenaBlock);
}
