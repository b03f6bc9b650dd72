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

void XResultSet::AppendValues(const QVariantList& values)
{
    for (int c = 0; c < m_cols; ++c, ++m_cells) {
        const size_t chunk = m_cells >> CellBits;
        if (chunk == m_chunks.size())
            m_chunks.push_back(std::unique_ptr<CellChunk>(new CellChunk));
        CellChunk& ch = *m_chunks[chunk];
        const size_t at = m_cells & (CellsPerChunk - 1);
        const QVariant v = values.value(c);
        uint64_t slot = 0;
        uint8_t kind = Null;
        switch (v.isNull() ? QMetaType::UnknownType : v.typeId()) {
        case QMetaType::UnknownType: break;
        case QMetaType::Double:
        case QMetaType::Float: {
            const double d = v.toDouble();
            std::memcpy(&slot, &d, 8);
            kind = Real;
            break;
        }
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::Bool: {
            const qint64 i = v.toLongLong();
            std::memcpy(&slot, &i, 8);
            kind = Int;
            break;
        }
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            slot = storeText(b.constData(), size_t(b.size()));
            kind = Blob;
            break;
        }
        default: {
            const QByteArray t = v.toString().toUtf8();
            const size_t len = size_t(t.size());
            if (len <= 8) {
                std::memcpy(&slot, t.constData(), len);
                kind = uint8_t(InlineText + len);
            } else {
                slot = storeText(t.constData(), len);
                kind = Text;
            }
        }
        }
        ch.slot[at] = slot;
        ch.kind[at] = kind;
    }
    ++m_rows;
}

void XResultSet::AppendRow(sqlite3_stmt* stmt)
{
    for (int c = 0; c < m_cols; ++c, ++m_cells) {
        const size_t chunk = m_cells >> CellBits;
        if (chunk == m_chunks.size())
            m_chunks.push_back(std::unique_ptr<CellChunk>(new CellChunk));   // left uninitialised
        CellChunk& ch = *m_chunks[chunk];
        const size_t at = m_cells & (CellsPerChunk - 1);
        uint64_t slot = 0;
        uint8_t kind = Null;
        const int type = sqlite3_column_type(stmt, c);
        switch (type) {
        case SQLITE_INTEGER: {
            const sqlite3_int64 v = sqlite3_column_int64(stmt, c);
            std::memcpy(&slot, &v, 8);
            kind = Int;
            break;
        }
        case SQLITE_FLOAT: {
            const double v = sqlite3_column_double(stmt, c);
            std::memcpy(&slot, &v, 8);
            kind = Real;
            break;
        }
        case SQLITE_TEXT:
        case SQLITE_BLOB: {
            const bool text = type == SQLITE_TEXT;
            const void* p = text ? static_cast<const void*>(sqlite3_column_text(stmt, c)) : sqlite3_column_blob(stmt, c);
            const size_t len = size_t(sqlite3_column_bytes(stmt, c));
            if (text && len <= 8) {
                if (len > 0)
                    std::memcpy(&slot, p, len);
                kind = uint8_t(InlineText + len);
            } else {
                slot = storeText(static_cast<const char*>(p), len);
                kind = text ? Text : Blob;
            }
            break;
        }
        default:
            break;
        }
        ch.slot[at] = slot;
        ch.kind[at] = kind;
    }
    ++m_rows;
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
