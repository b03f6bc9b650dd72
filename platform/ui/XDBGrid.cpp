#include "XDBGrid.h"

#include "XGridCell.h"

#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QScopeGuard>

// ---- columns ----

void TColumnTitle::SetCaption(const QString& Value)
{
    m_caption = Value;
    m_column->Changed(false);
}

void TColumnTitle::SetAlignment(TAlignment Value)
{
    m_alignment = Value;
    m_column->Changed(false);
}

void TColumn::SetFieldName(const QString& Value)
{
    m_fieldName = Value;
    Changed(false);
}

void TColumn::SetWidth(int Value)
{
    m_width = Value;
    Changed(true);
}

void TColumn::SetAlignment(TAlignment Value)
{
    m_alignment = Value;
    Changed(false);
}

int TColumn::Index() const
{
    const auto& items = m_owner->m_items;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].get() == this)
            return int(i);
    return -1;
}

TDBGrid* TColumn::Grid() const
{
    return m_owner->Grid();
}

void TColumn::Changed(bool Layout)
{
    m_owner->m_grid->ColumnChanged(this, Layout);
}

TColumn* TDBGridColumns::Add()
{
    m_items.push_back(std::unique_ptr<TColumn>(new TColumn(this)));
    m_grid->ColumnsChanged();
    return m_items.back().get();
}

void TDBGridColumns::Delete(int Index)
{
    m_items.erase(m_items.begin() + Index);
    m_grid->ColumnsChanged();
}

void TDBGridColumns::Clear()
{
    m_items.clear();
    m_grid->ColumnsChanged();
}

// ---- model ----

XDataSetModel::XDataSetModel(TDBGrid* Grid) : QAbstractTableModel(Grid), m_grid(Grid) {}

int XDataSetModel::rowCount(const QModelIndex& Parent) const
{
    return Parent.isValid() ? 0 : m_rows;
}

int XDataSetModel::columnCount(const QModelIndex& Parent) const
{
    return Parent.isValid() ? 0 : int(m_fieldOf.size());
}

QVariant XDataSetModel::data(const QModelIndex& Index, int Role) const
{
    if (!Index.isValid() || Index.row() >= m_rows)
        return {};
    const TCustomADODataSet* ds = m_grid->m_dataSet;
    if (Role == Qt::DisplayRole) {
        const int f = FieldOf(Index.column());
        if (!ds || f < 0 || !ds->Active() || Index.row() >= ds->RecordCount())
            return QString();
        try {
            return ds->CellText(Index.row(), f);
        } catch (const std::exception& e) {
            ReportCellError(m_grid, e);
            return QString();
        }
    }
    if (Role == Qt::TextAlignmentRole && Index.column() < m_grid->m_columns.Count())
        return QVariant::fromValue(AlignmentToQt(m_grid->m_columns.Items(Index.column())->Alignment()) | Qt::AlignVCenter);
    return {};
}

QVariant XDataSetModel::headerData(int Section, Qt::Orientation Orientation, int Role) const
{
    if (Orientation == Qt::Horizontal) {
        if (Section < 0 || Section >= m_grid->m_columns.Count())
            return {};
        const TColumn* c = m_grid->m_columns.Items(Section);
        if (Role == Qt::DisplayRole)
            return c->Title()->Caption();
        if (Role == Qt::TextAlignmentRole)
            return QVariant::fromValue(AlignmentToQt(c->Title()->Alignment()) | Qt::AlignVCenter);
        return {};
    }
    if (Role == Qt::DisplayRole)
        return Section == m_indicatorRow ? QStringLiteral("\u25B8") : QString();
    if (Role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignCenter);
    return {};
}

void XDataSetModel::ResolveFields()
{
    const TCustomADODataSet* ds = m_grid->m_dataSet;
    const bool open = ds && ds->Active();
    m_fieldOf.assign(size_t(m_grid->m_columns.Count()), -1);
    for (int i = 0; open && i < m_grid->m_columns.Count(); ++i)
        m_fieldOf[size_t(i)] = ds->FieldIndex(m_grid->m_columns.Items(i)->FieldName());
}

void XDataSetModel::Rebuild()
{
    beginResetModel();
    const TCustomADODataSet* ds = m_grid->m_dataSet;
    m_rows = ds && ds->Active() ? ds->RecordCount() : 0;
    m_indicatorRow = -1;
    ResolveFields();
    ResetCellError(m_grid);
    endResetModel();
}

void XDataSetModel::FollowCount()
{
    const TCustomADODataSet* ds = m_grid->m_dataSet;
    const int rows = ds && ds->Active() ? ds->RecordCount() : 0;
    if (rows > m_rows) {
        beginInsertRows({}, m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    } else if (rows < m_rows) {
        beginRemoveRows({}, rows, m_rows - 1);
        m_rows = rows;
        endRemoveRows();
    }
}

// ---- painting ----

// ---- grid ----

TDBGrid::TDBGrid(QWidget* Owner) : QTableView(Owner), m_columns(this), m_model(new XDataSetModel(this))
{
    setModel(m_model);
    setItemDelegate(new XGridCellDelegate<TDBGrid>(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    // Fixed row heights keep scrolling independent of the number of rows.
    QHeaderView* v = verticalHeader();
    v->setSectionResizeMode(QHeaderView::Fixed);
    v->setDefaultSectionSize(fontMetrics().height() + 4);
    v->setMinimumSectionSize(1);
    v->setFixedWidth(14);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SetOptions(dgTitles | dgColumnResize);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& Current, const QModelIndex&) { CurrentRowChanged(Current); });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int Section, int, int NewSize) {
        if (!m_syncing && Section < m_columns.Count())
            m_columns.Items(Section)->m_width = qRound(NewSize / FontScale(font()));
    });
}

TDBGrid::~TDBGrid()
{
    for (const auto& c : m_links)
        disconnect(c);
}

void TDBGrid::SetOptions(TDBGridOptions Value)
{
    m_options = Value;
    horizontalHeader()->setVisible(Value.testFlag(dgTitles));
    verticalHeader()->setVisible(Value.testFlag(dgIndicator));
    horizontalHeader()->setSectionResizeMode(Value.testFlag(dgColumnResize) ? QHeaderView::Interactive : QHeaderView::Fixed);
    setSelectionBehavior(Value.testFlag(dgRowSelect) ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    ApplyColumnLayout();
}

void TDBGrid::SetDataSet(TCustomADODataSet* DataSet)
{
    if (m_dataSet == DataSet)
        return;
    for (const auto& c : m_links)
        disconnect(c);
    m_links.clear();
    m_dataSet = DataSet;
    if (DataSet) {
        auto changed = [this](TCustomADODataSet*) { DataSetChanged(); };
        m_links.push_back(connect(DataSet, &TCustomADODataSet::AfterOpen, this, changed));
        m_links.push_back(connect(DataSet, &TCustomADODataSet::AfterClose, this, changed));
        m_links.push_back(connect(DataSet, &TCustomADODataSet::AfterRefresh, this, changed));
        m_links.push_back(connect(DataSet, &TCustomADODataSet::AfterScroll, this,
                                  [this](TCustomADODataSet*) { DataSetScrolled(); }));
        m_links.push_back(connect(DataSet, &QObject::destroyed, this, [this] { DataSetChanged(); }));
        // Queued: the last rows are often read while a cell is painted.
        m_links.push_back(connect(
            DataSet, &TCustomADODataSet::AfterCount, this, [this] { m_model->FollowCount(); FollowDataSet(); },
            Qt::QueuedConnection));
    }
    DataSetChanged();
}

void TDBGrid::ColumnsChanged()
{
    DataSetChanged();
}

void TDBGrid::ColumnChanged(TColumn* Column, bool Layout)
{
    const int i = Column->Index();
    if (Layout) {
        m_syncing = true;
        setColumnWidth(i, FontPixels(Column->Width(), font()));
        m_syncing = false;
        return;
    }
    m_model->ResolveFields();
    emit m_model->headerDataChanged(Qt::Horizontal, i, i);
    viewport()->update();
}

void TDBGrid::ApplyColumnLayout()
{
    m_syncing = true;
    for (int i = 0; i < m_columns.Count() && i < m_model->columnCount(); ++i)
        setColumnWidth(i, FontPixels(m_columns.Items(i)->Width(), font()));
    m_syncing = false;
}

void TDBGrid::changeEvent(QEvent* Event)
{
    QTableView::changeEvent(Event);
    if (Event->type() == QEvent::FontChange)
        ApplyColumnLayout();
}

void TDBGrid::DataSetChanged()
{
    m_syncing = true;
    m_model->Rebuild();
    m_syncing = false;
    ApplyColumnLayout();
    FollowDataSet();
}

void TDBGrid::DataSetScrolled()
{
    if (!m_syncing)
        FollowDataSet();
}

void TDBGrid::FollowDataSet()
{
    const TCustomADODataSet* ds = m_dataSet;
    const int row = ds && ds->Active() && m_model->m_rows > 0 ? ds->RecNo() - 1 : -1;
    MoveIndicator(row);
    if (row < 0 || m_model->columnCount() == 0)
        return;
    const QModelIndex cur = currentIndex();
    if (cur.isValid() && cur.row() == row)
        return;
    const QModelIndex target = m_model->index(row, cur.isValid() ? cur.column() : 0);
    m_syncing = true;
    auto done = qScopeGuard([this] { m_syncing = false; });
    QItemSelectionModel::SelectionFlags how = QItemSelectionModel::ClearAndSelect;
    if (m_options.testFlag(dgRowSelect))
        how |= QItemSelectionModel::Rows;
    selectionModel()->setCurrentIndex(target, how);
    scrollTo(target);
}

void TDBGrid::CurrentRowChanged(const QModelIndex& Current)
{
    if (m_syncing || !Current.isValid() || !m_dataSet || !m_dataSet->Active())
        return;
    if (Current.row() >= m_dataSet->RecordCount() || m_dataSet->RecNo() == Current.row() + 1)
        return;
    m_syncing = true;
    auto done = qScopeGuard([this] { m_syncing = false; });
    m_dataSet->setRecNo(Current.row() + 1);
    MoveIndicator(Current.row());
}

void TDBGrid::MoveIndicator(int Row)
{
    if (Row == m_model->m_indicatorRow)
        return;
    m_model->m_indicatorRow = Row;
    // A repaint is enough: announcing changed header data would make the
    // header measure its sections again on every move.
    if (verticalHeader()->isVisible())
        verticalHeader()->viewport()->update();
}

int TDBGrid::RecNoOfRow(int Row) const
{
    return Row >= 0 && Row < m_model->m_rows ? Row + 1 : 0;
}

QString TDBGrid::FieldText(int RecNo, const QString& FieldName) const
{
    if (!m_dataSet || !m_dataSet->Active() || RecNo < 1 || RecNo > m_dataSet->RecordCount())
        return QString();
    const int f = m_dataSet->FieldIndex(FieldName);
    return f < 0 ? QString() : m_dataSet->CellText(RecNo - 1, f);
}

QVariant TDBGrid::FieldValue(int RecNo, const QString& FieldName) const
{
    if (!m_dataSet || !m_dataSet->Active() || RecNo < 1 || RecNo > m_dataSet->RecordCount())
        return {};
    const int f = m_dataSet->FieldIndex(FieldName);
    return f < 0 ? QVariant() : m_dataSet->CellValue(RecNo - 1, f);
}

QRect TDBGrid::CellRect(int RecNo, int DataCol) const
{
    return visualRect(m_model->index(RecNo - 1, DataCol));
}

int TDBGrid::RowHeight() const
{
    return verticalHeader()->defaultSectionSize();
}

void TDBGrid::DefaultDrawColumnCell(const QRect& Rect, int DataCol, TColumn* Column, TGridDrawState)
{
    if (!m_canvas)
        return;
    const int f = m_model->FieldOf(DataCol);
    QString text;
    if (m_dataSet && m_dataSet->Active() && f >= 0 && m_drawRow >= 0 && m_drawRow < m_dataSet->RecordCount())
        text = m_dataSet->CellText(m_drawRow, f);
    m_canvas->CellText(Rect, text, Column ? Column->Alignment() : taLeftJustify);
}

void TDBGrid::PaintCell(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index)
{
    const int col = Index.column();
    TColumn* column = col < m_columns.Count() ? m_columns.Items(col) : nullptr;
    const TGridDrawState state = CellDrawState(Option);
    TGridCanvas canvas(Painter);
    PrepareCellCanvas(canvas, Option, state);

    m_canvas = &canvas;
    m_drawRow = Index.row();
    auto done = qScopeGuard([this] {
        m_canvas = nullptr;
        m_drawRow = -1;
    });
    if (DefaultDrawing)
        DefaultDrawColumnCell(Option.rect, col, column, state);
    if (OnDrawColumnCell)
        OnDrawColumnCell(this, Option.rect, col, column, state, Index.row() + 1);
}
