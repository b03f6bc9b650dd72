#include "XAdo.h"

#include "XAdoCursor.h"
#include "XExceptions.h"
#include "XJetDdl.h"
#include "XJetSql.h"
#include "XResultSet.h"

#include <QLocale>

#include <cmath>
#include <type_traits>

namespace {

// A float as text the way the platform shows it: whole numbers without ".0",
// in all their digits up to 2^53, the whole numbers a double holds exactly.
QString floatText(double v)
{
    if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) <= 9007199254740992.0)
        return QString::number(qint64(v));
    QString s = QString::number(v, 'g', 15);
    const int e = s.indexOf(u'e');
    if (e >= 0) {
        QString exp = s.mid(e + 1);
        const bool negative = exp.startsWith(u'-');
        exp.remove(0, exp.startsWith(u'-') || exp.startsWith(u'+') ? 1 : 0);
        while (exp.size() > 1 && exp.startsWith(u'0'))
            exp.remove(0, 1);
        s = s.left(e) + u'E' + (negative ? QStringLiteral("-") : QString()) + exp;
    }
    return s;
}

QString cellText(const XResultSet& rs, int r, int c, TFieldType type)
{
    switch (rs.CellKind(r, c)) {
    case XResultSet::Null: return QString();
    case XResultSet::Int:
        if (type == ftBoolean)
            return rs.Int64(r, c) ? QStringLiteral("True") : QStringLiteral("False");
        return QString::number(rs.Int64(r, c));
    case XResultSet::Real: return floatText(rs.Double(r, c));
    default: return rs.String(r, c);
    }
}

QVariant cellValue(const XResultSet& rs, int r, int c, TFieldType type)
{
    switch (rs.CellKind(r, c)) {
    case XResultSet::Null: return QVariant();
    case XResultSet::Int: {
        const qint64 v = rs.Int64(r, c);
        if (type == ftBoolean)
            return QVariant(v != 0);
        if ((type == ftInteger || type == ftSmallint || type == ftWord || type == ftAutoInc) && v >= INT_MIN && v <= INT_MAX)
            return QVariant(int(v));
        return QVariant(qlonglong(v));
    }
    case XResultSet::Real: return QVariant(rs.Double(r, c));
    case XResultSet::Blob: return QVariant(rs.Bytes(r, c));
    default: return QVariant(rs.String(r, c));
    }
}

double parseFloat(const QString& text, bool* ok)
{
    QString s = text.trimmed();
    double v = QLocale::c().toDouble(s, ok);
    if (!*ok && s.count(u',') == 1 && !s.contains(u'.'))
        v = QLocale::c().toDouble(s.replace(u',', u'.'), ok);
    return v;
}

// A cell read as a number: 0 for Null, a real rounded to the nearest whole
// number when T is integral, text through Parse or EConvertError naming What.
template <class T, class Parse>
T numericCell(const XResultSet& rs, int r, int c, Parse parse, const char* what)
{
    switch (rs.CellKind(r, c)) {
    case XResultSet::Null: return 0;
    case XResultSet::Int: return T(rs.Int64(r, c));
    case XResultSet::Real:
        if constexpr (std::is_integral_v<T>)
            return T(std::nearbyint(rs.Double(r, c)));
        else
            return rs.Double(r, c);
    default: {
        const QString s = rs.String(r, c);
        bool ok = false;
        const T v = parse(s, &ok);
        if (!ok)
            throw EConvertError(QStringLiteral("'%1' is not a valid %2 value").arg(s, QLatin1String(what)));
        return v;
    }
    }
}

} // namespace

// ---- TParameters ----

TParameter* TParameters::FindParam(const QString& name) const
{
    for (const auto& p : m_items)
        if (p->Name.compare(name, Qt::CaseInsensitive) == 0)
            return p.get();
    return nullptr;
}

TParameter* TParameters::ParamByName(const QString& name) const
{
    TParameter* p = FindParam(name);
    if (!p)
        throw EDatabaseError(QStringLiteral("Parameter '%1' not found").arg(name));
    return p;
}

void TParameters::ParseSQL(const QString& sql)
{
    m_items.clear();
    for (const QString& name : JetSql::ParameterNames(sql)) {
        auto p = std::make_unique<TParameter>();
        p->Name = name;
        m_items.push_back(std::move(p));
    }
}

void TParameters::Assign(const TParameters& other)
{
    m_items.clear();
    for (const auto& p : other.m_items)
        m_items.push_back(std::make_unique<TParameter>(*p));
}

void TParameters::Add(const QString& name, const QVariant& value)
{
    auto p = std::make_unique<TParameter>();
    p->Name = name;
    p->Value = value;
    m_items.push_back(std::move(p));
}

// ---- TSQLStrings ----

void TSQLStrings::Add(const QString& line)
{
    m_lines.append(line);
    if (m_changed)
        m_changed();
}

void TSQLStrings::Clear()
{
    m_lines.clear();
    if (m_changed)
        m_changed();
}

QString TSQLStrings::Text() const
{
    return m_lines.size() == 1 ? m_lines.front() : m_lines.join(QLatin1String("\r\n"));
}

void TSQLStrings::setText(const QString& text)
{
    m_lines = QStringList{text};
    if (m_changed)
        m_changed();
}

// ---- TField ----

TField::TField(TCustomADODataSet* dataSet, int index, const QString& name, TFieldType type, int size)
    : m_dataSet(dataSet), m_index(index), m_name(name), m_type(type), m_size(size)
{
}

int TField::row() const
{
    m_dataSet->checkActive();
    if (m_dataSet->IsEmpty())
        return -1;
    m_dataSet->need(m_dataSet->m_row);
    // Read again after a pause, the result may have come out shorter.
    return m_dataSet->m_row < m_dataSet->m_result->Rows() ? m_dataSet->m_row : -1;
}

bool TField::IsNull() const
{
    const int r = row();
    return r < 0 || m_dataSet->m_result->IsNull(r, m_index);
}

QVariant TField::Value() const
{
    const int r = row();
    return r < 0 ? QVariant() : cellValue(*m_dataSet->m_result, r, m_index, m_type);
}

QString TField::AsString() const
{
    const int r = row();
    return r < 0 ? QString() : cellText(*m_dataSet->m_result, r, m_index, m_type);
}

qint64 TField::AsLargeInt() const
{
    const int r = row();
    if (r < 0)
        return 0;
    const auto parse = [](const QString& s, bool* ok) { return s.trimmed().toLongLong(ok); };
    return numericCell<qint64>(*m_dataSet->m_result, r, m_index, parse, "integer");
}

int TField::AsInteger() const
{
    return int(AsLargeInt());
}

double TField::AsFloat() const
{
    const int r = row();
    if (r < 0)
        return 0;
    return numericCell<double>(*m_dataSet->m_result, r, m_index, parseFloat, "floating point");
}

bool TField::AsBoolean() const
{
    const int r = row();
    if (r < 0)
        return false;
    const XResultSet& rs = *m_dataSet->m_result;
    switch (rs.CellKind(r, m_index)) {
    case XResultSet::Null: return false;
    case XResultSet::Int: return rs.Int64(r, m_index) != 0;
    case XResultSet::Real: return rs.Double(r, m_index) != 0;
    default: {
        const QString s = rs.String(r, m_index).trimmed();
        const QChar c = s.isEmpty() ? QChar() : s[0].toUpper();
        if (c == u'T' || c == u'Y' || c == u'S' || s == QLatin1String("1") || s == QLatin1String("-1"))
            return true;
        if (c == u'F' || c == u'N' || s == QLatin1String("0"))
            return false;
        throw EConvertError(QStringLiteral("'%1' is not a valid boolean value").arg(s));
    }
    }
}

QDateTime TField::AsDateTime() const
{
    const int r = row();
    if (r < 0)
        return QDateTime();
    const XResultSet& rs = *m_dataSet->m_result;
    switch (rs.CellKind(r, m_index)) {
    case XResultSet::Null: return QDateTime();
    case XResultSet::Int:
    case XResultSet::Real: {
        // Days since 30/12/1899, the platform's date serial.
        const double days = rs.CellKind(r, m_index) == XResultSet::Int ? double(rs.Int64(r, m_index)) : rs.Double(r, m_index);
        const QDateTime base(QDate(1899, 12, 30), QTime(0, 0));
        return base.addMSecs(qint64(std::llround(days * 86400000.0)));
    }
    default: {
        const QString s = rs.String(r, m_index).trimmed();
        for (const char* f : {"yyyy-MM-dd hh:mm:ss", "yyyy-MM-dd hh:mm", "yyyy-MM-dd", "dd/MM/yyyy hh:mm:ss", "dd/MM/yyyy"}) {
            const QDateTime d = QDateTime::fromString(s, QLatin1String(f));
            if (d.isValid())
                return d;
        }
        throw EConvertError(QStringLiteral("'%1' is not a valid date and time").arg(s));
    }
    }
}

// ---- TCustomADODataSet ----

TCustomADODataSet::TCustomADODataSet(QObject* Owner) : QObject(Owner), m_result(std::make_unique<XResultSet>()) {}

TCustomADODataSet::~TCustomADODataSet()
{
    stopReading();
    if (m_connection)
        m_connection->detach(this);
}

void TCustomADODataSet::setConnection(TADOConnection* value)
{
    if (m_connection == value)
        return;
    Close();
    if (m_connection)
        m_connection->detach(this);
    m_connection = value;
    if (m_connection)
        m_connection->attach(this);
}

XAdo::Engine* TCustomADODataSet::engine() const
{
    if (!m_connection)
        throw EDatabaseError(QStringLiteral("Missing Connection or ConnectionString"));
    return m_connection->Engine();
}

void TCustomADODataSet::checkActive() const
{
    if (!m_active)
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

int TCustomADODataSet::rows() const
{
    return m_cursor ? m_count : m_result->Rows();
}

void TCustomADODataSet::need(int row) const
{
    if (!m_cursor || row < m_result->Rows())
        return;
    try {
        m_cursor->FetchTo(row);
    } catch (...) {
        stopReading();
        throw;
    }
    if (!m_cursor->Done())
        return;
    stopReading();
    // Other stations wrote while the rows were read in slices.
    if (m_result->Rows() != m_count)
        emit const_cast<TCustomADODataSet*>(this)->AfterCount(const_cast<TCustomADODataSet*>(this));
}

void TCustomADODataSet::stopReading() const
{
    m_cursor.reset();
}

void TCustomADODataSet::execute(int known)
{
    stopReading();
    QString text = CommandTextForOpen();
    if (text.trimmed().isEmpty())
        throw EOleException(QStringLiteral("Command text was not set for the command object."));
    if (m_filtered && !m_filter.trimmed().isEmpty())
        text = QStringLiteral("SELECT * FROM (%1) WHERE (%2)").arg(text, m_filter);
    XAdo::Engine* e = engine();
    std::vector<XAdo::ColumnInfo> cols;
    if (known >= 0)
        for (const auto& f : m_fields)
            cols.push_back({f->FieldName(), f->DataType(), f->Size()});
    // Taken before the count's snapshot: a write after it shows as a change.
    m_mark = e->Mark();
    if (m_filtered && !m_filter.trimmed().isEmpty()) {
        e->Query(text, Parameters, *m_result, cols);
    } else {
        m_cursor = e->OpenLazy(text, Parameters, *m_result, cols, &m_count, known);
    }
    bool same = cols.size() == m_fields.size();
    for (size_t i = 0; same && i < cols.size(); ++i)
        same = m_fields[i]->FieldName() == cols[i].name && m_fields[i]->DataType() == cols[i].type
               && m_fields[i]->Size() == cols[i].size;
    if (!same) {
        m_fields.clear();
        for (size_t i = 0; i < cols.size(); ++i)
            m_fields.push_back(std::make_unique<TField>(this, int(i), cols[i].name, cols[i].type, cols[i].size));
    }
}

void TCustomADODataSet::Open()
{
    if (m_active)
        return;
    execute();
    m_active = true;
    setCurrent(0);
    m_bof = true;
    emit AfterOpen(this);
    emit AfterScroll(this);
}

void TCustomADODataSet::Close()
{
    if (!m_active)
        return;
    m_active = false;
    stopReading();
    m_result->Reset(0);
    m_fields.clear();
    m_row = 0;
    m_eof = m_bof = true;
    emit AfterClose(this);
}

void TCustomADODataSet::connectionClosing()
{
    Close();
}

void TCustomADODataSet::Requery()
{
    if (!m_active) {
        Open();
        return;
    }
    reexecute(-1);
}

void TCustomADODataSet::RequeryAdded(int Rows, int Writes)
{
    if (!m_active || rows() + Rows < 0 || !engine()->OnlyOwnWrite(m_mark, Rows, Writes)) {
        Requery();
        return;
    }
    reexecute(rows() + Rows);
}

bool TCustomADODataSet::EditOwnRows(int Writes, const std::function<void(QList<QVariantList>&)>& Edit)
{
    if (!m_active || !engine()->OnlyOwnWrites(m_mark, Writes))
        return false;
    need(rows() - 1);
    stopReading();
    QList<QVariantList> list;
    for (int r = 0; r < m_result->Rows(); ++r) {
        QVariantList row;
        for (int c = 0; c < int(m_fields.size()); ++c)
            row.append(cellValue(*m_result, r, c, m_fields[size_t(c)]->DataType()));
        list.append(row);
    }
    Edit(list);
    m_result->Reset(int(m_fields.size()));
    for (const QVariantList& row : list)
        m_result->AppendValues(row);
    m_mark = engine()->Mark();
    setCurrent(0);
    m_bof = true;
    emit AfterRefresh(this);
    emit AfterScroll(this);
    return true;
}

void TCustomADODataSet::reexecute(int known)
{
    try {
        execute(known);
    } catch (...) {
        Close();
        throw;
    }
    setCurrent(0);
    m_bof = true;
    emit AfterRefresh(this);
    emit AfterScroll(this);
}

void TCustomADODataSet::setFilter(const QString& value)
{
    m_filter = value;
    if (m_active && m_filtered)
        Requery();
}

void TCustomADODataSet::setFiltered(bool value)
{
    if (m_filtered == value)
        return;
    m_filtered = value;
    if (m_active && !m_filter.trimmed().isEmpty())
        Requery();
}

void TCustomADODataSet::setCurrent(int row)
{
    const int n = rows();
    m_row = n == 0 ? 0 : qBound(0, row, n - 1);
    m_eof = n == 0;
    m_bof = n == 0;
    need(m_row);
}

void TCustomADODataSet::First()
{
    checkActive();
    setCurrent(0);
    m_bof = true;
    emit AfterScroll(this);
}

void TCustomADODataSet::Last()
{
    checkActive();
    need(-1 + rows());
    setCurrent(rows() - 1);
    m_eof = true;
    emit AfterScroll(this);
}

void TCustomADODataSet::Next()
{
    checkActive();
    // Read to its end on the way, the result may come out shorter than counted.
    if (m_row + 1 < rows())
        need(m_row + 1);
    if (m_row + 1 < rows()) {
        ++m_row;
        m_bof = false;
    } else {
        m_eof = true;
    }
    emit AfterScroll(this);
}

void TCustomADODataSet::Prior()
{
    checkActive();
    if (m_row > 0 && rows() > 0) {
        --m_row;
        m_eof = false;
    } else {
        m_bof = true;
    }
    emit AfterScroll(this);
}

int TCustomADODataSet::MoveBy(int distance)
{
    checkActive();
    const int target = m_row + distance;
    if (rows() > 0)
        need(qBound(0, target, rows() - 1));
    const int n = rows();
    if (n == 0)
        return 0;
    const int row = qBound(0, target, n - 1);
    const int moved = row - m_row;
    m_row = row;
    m_eof = target > n - 1;
    m_bof = target < 0;
    if (moved > 0)
        m_bof = false;
    if (moved < 0)
        m_eof = false;
    emit AfterScroll(this);
    return moved;
}

bool TCustomADODataSet::Eof() const
{
    return !m_active || m_eof;
}

bool TCustomADODataSet::Bof() const
{
    return !m_active || m_bof;
}

bool TCustomADODataSet::IsEmpty() const
{
    return !m_active || rows() == 0;
}

int TCustomADODataSet::RecordCount() const
{
    checkActive();
    return rows();
}

int TCustomADODataSet::RecNo() const
{
    checkActive();
    return rows() == 0 ? 0 : m_row + 1;
}

void TCustomADODataSet::setRecNo(int value)
{
    checkActive();
    const int n = rows();
    if (value < 1 || value > n)
        throw EDatabaseError(QStringLiteral("Record number %1 out of range (1..%2)").arg(value).arg(n));
    need(value - 1);
    // Read to its end on the way, the result may have come out shorter than counted.
    m_row = qMax(0, qMin(value, rows()) - 1);
    m_eof = m_bof = rows() == 0;
    emit AfterScroll(this);
}

TField* TCustomADODataSet::FindField(const QString& name) const
{
    const int i = FieldIndex(name);
    return i < 0 ? nullptr : m_fields[size_t(i)].get();
}

TField* TCustomADODataSet::FieldByName(const QString& name) const
{
    TField* f = FindField(name);
    if (!f)
        throw EDatabaseError(QStringLiteral("%1: Field '%2' not found").arg(objectName(), name));
    return f;
}

int TCustomADODataSet::FieldIndex(const QString& name) const
{
    for (size_t i = 0; i < m_fields.size(); ++i)
        if (m_fields[i]->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

QList<TFieldDef> TCustomADODataSet::FieldDefs() const
{
    QList<TFieldDef> defs;
    for (const auto& f : m_fields) {
        TFieldDef d;
        d.Name = f->FieldName();
        d.DataType = f->DataType();
        d.Size = f->Size();
        d.FieldNo = f->Index() + 1;
        defs.append(d);
    }
    return defs;
}

bool TCustomADODataSet::CellIsNull(int row, int col) const
{
    checkActive();
    need(row);
    return row >= m_result->Rows() || m_result->IsNull(row, col);
}

QVariant TCustomADODataSet::CellValue(int row, int col) const
{
    checkActive();
    need(row);
    return row >= m_result->Rows() ? QVariant() : cellValue(*m_result, row, col, m_fields[size_t(col)]->DataType());
}

QString TCustomADODataSet::CellText(int row, int col) const
{
    checkActive();
    need(row);
    return row >= m_result->Rows() ? QString() : cellText(*m_result, row, col, m_fields[size_t(col)]->DataType());
}

size_t TCustomADODataSet::ResultMemoryBytes() const
{
    return m_result->MemoryBytes();
}

// ---- TADOQuery, TADODataSet, TADOTable ----

TADOQuery::TADOQuery(QObject* Owner) : TCustomADODataSet(Owner)
{
    SQL.m_changed = [this] {
        Close();
        Parameters.ParseSQL(SQL.Text());
    };
}

int TADOQuery::ExecSQL()
{
    Close();
    m_rowsAffected = engine()->Execute(SQL.Text(), Parameters);
    return m_rowsAffected;
}

TADODataSet::TADODataSet(QObject* Owner) : TCustomADODataSet(Owner) {}

void TADODataSet::setCommandText(const QString& value)
{
    Close();
    m_commandText = value;
    Parameters.ParseSQL(value);
}

TADOTable::TADOTable(QObject* Owner) : TCustomADODataSet(Owner) {}

void TADOTable::setTableName(const QString& value)
{
    Close();
    m_tableName = value;
}

QString TADOTable::CommandTextForOpen() const
{
    return QStringLiteral("SELECT * FROM ") + JetSql::QuoteJet(m_tableName);
}

QList<TFieldDef> TADOTable::FieldDefs() const
{
    return XAdo::TableFieldDefs(*engine(), m_tableName);
}

QList<TIndexDef> TADOTable::IndexDefs() const
{
    return XAdo::TableIndexDefs(*engine(), m_tableName);
}

// ---- TADOCommand ----

TADOCommand::TADOCommand(QObject* Owner) : QObject(Owner) {}

void TADOCommand::setCommandText(const QString& value)
{
    m_commandText = value;
    Parameters.ParseSQL(value);
}

int TADOCommand::Execute()
{
    if (!m_connection)
        throw EDatabaseError(QStringLiteral("Missing Connection or ConnectionString"));
    if (m_commandText.trimmed().isEmpty())
        throw EOleException(QStringLiteral("Command text was not set for the command object."));
    return m_connection->Engine()->Execute(m_commandText, Parameters);
}
