#include "XStringGrid.h"

#include "XGridCell.h"

#include <QHeaderView>
#include <QScopeGuard>

XStringTableModel::XStringTableModel(TStringGrid* Grid) : QAbstractTableModel(Grid), m_grid(Grid) {}

int XStringTableModel::rowCount(const QModelIndex& Parent) const
{
    return Parent.isValid() ? 0 : m_grid->RowCount() - m_grid->FixedRows();
}

int XStringTableModel::columnCount(const QModelIndex& Parent) const
{
    return Parent.isValid() ? 0 : m_grid->ColCount();
}

QVariant XStringTableModel::data(const QModelIndex& Index, int Role) const
{
    if (!Index.isValid() || Role != Qt::DisplayRole)
        return {};
    return m_grid->Cells(Index.column(), Index.row() + m_grid->FixedRows());
}

QVariant XStringTableModel::headerData(int Section, Qt::Orientation Orientation, int Role) const
{
    if (Orientation != Qt::Horizontal || m_grid->FixedRows() == 0)
        return {};
    if (Role == Qt::DisplayRole)
        return m_grid->Cells(Section, 0);
    if (Role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

TStringGrid::TStringGrid(QWidget* Owner) : QTableView(Owner), m_model(new XStringTableModel(this))
{
    // Five columns and five rows, the title row among them, until told otherwise.
    m_colCount = 5;
    m_cells.assign(5, QStringList(m_colCount, QString()));
    m_widths.assign(size_t(m_colCount), -1);
    setModel(m_model);
    setItemDelegate(new XGridCellDelegate<TStringGrid>(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(24);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ApplyWidths();
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& Current) {
        if (m_syncing || !Current.isValid())
            return;
        m_row = Current.row() + m_fixedRows;
        m_col = Current.column();
    });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int Section, int, int NewSize) {
        if (!m_syncing && Section < m_colCount)
            m_widths[size_t(Section)] = qRound(NewSize / FontScale(font()));
    });
}

void TStringGrid::SetColCount(int Value)
{
    Value = qMax(0, Value);
    if (Value == m_colCount)
        return;
    if (Value > m_colCount)
        m_model->beginInsertColumns({}, m_colCount, Value - 1);
    else
        m_model->beginRemoveColumns({}, Value, m_colCount - 1);
    for (QStringList& r : m_cells)
        r.resize(Value);
    m_widths.resize(size_t(Value), -1);
    const bool grew = Value > m_colCount;
    m_colCount = Value;
    if (grew)
        m_model->endInsertColumns();
    else
        m_model->endRemoveColumns();
    m_col = qMin(m_col, qMax(0, m_colCount - 1));
    ApplyWidths();
}

void TStringGrid::SetRowCount(int Value)
{
    Value = qMax(m_fixedRows, Value);
    const int old = RowCount();
    if (Value == old)
        return;
    if (Value > old) {
        m_model->beginInsertRows({}, ModelRow(old), ModelRow(Value) - 1);
        m_cells.resize(size_t(Value), QStringList(m_colCount, QString()));
        m_model->endInsertRows();
    } else {
        m_model->beginRemoveRows({}, ModelRow(Value), ModelRow(old) - 1);
        m_cells.resize(size_t(Value));
        m_model->endRemoveRows();
    }
    if (m_row >= Value) {
        m_row = qMax(m_fixedRows, Value - 1);
        SelectCurrent();
    }
}

void TStringGrid::SetFixedRows(int Value)
{
    Value = qBound(0, Value, 1);
    if (Value == m_fixedRows)
        return;
    m_model->beginResetModel();
    m_fixedRows = Value;
    if (RowCount() < m_fixedRows)
        m_cells.resize(size_t(m_fixedRows), QStringList(m_colCount, QString()));
    m_model->endResetModel();
    ApplyWidths();
    m_row = qMax(m_row, m_fixedRows);
}

QString TStringGrid::Cells(int ACol, int ARow) const
{
    if (ARow < 0 || ARow >= RowCount() || ACol < 0 || ACol >= m_colCount)
        return QString();
    return m_cells[size_t(ARow)].value(ACol);
}

void TStringGrid::SetCells(int ACol, int ARow, const QString& Value)
{
    if (ARow < 0 || ARow >= RowCount() || ACol < 0 || ACol >= m_colCount)
        return;
    m_cells[size_t(ARow)][ACol] = Value;
    if (ARow < m_fixedRows) {
        emit m_model->headerDataChanged(Qt::Horizontal, ACol, ACol);
    } else {
        const QModelIndex i = m_model->index(ModelRow(ARow), ACol);
        emit m_model->dataChanged(i, i, {Qt::DisplayRole});
    }
}

void TStringGrid::ClearRow(int ARow)
{
    for (int c = 0; c < m_colCount; ++c)
        SetCells(c, ARow, QString());
}

void TStringGrid::DeleteRow(int ARow)
{
    if (ARow < m_fixedRows || ARow >= RowCount())
        return;
    m_model->beginRemoveRows({}, ModelRow(ARow), ModelRow(ARow));
    m_cells.erase(m_cells.begin() + ARow);
    m_model->endRemoveRows();
    if (m_row >= RowCount())
        m_row = qMax(m_fixedRows, RowCount() - 1);
    SelectCurrent();
}

void TStringGrid::SetRows(std::vector<QStringList> Rows)
{
    for (QStringList& r : Rows)
        r.resize(m_colCount);
    if (Rows.size() < size_t(m_fixedRows))
        Rows.resize(size_t(m_fixedRows), QStringList(m_colCount, QString()));
    m_model->beginResetModel();
    m_cells = std::move(Rows);
    m_model->endResetModel();
    // A reset gives the header its default section sizes.
    ApplyWidths();
    m_row = qBound(m_fixedRows, m_row, qMax(m_fixedRows, RowCount() - 1));
    SelectCurrent();
}

QStringList TStringGrid::RowCells(int ARow) const
{
    return ARow < 0 || ARow >= RowCount() ? QStringList() : m_cells[size_t(ARow)];
}

void TStringGrid::SetDefaultColWidth(int Value)
{
    m_defaultColWidth = Value;
    ApplyWidths();
}

int TStringGrid::ColWidths(int ACol) const
{
    if (ACol < 0 || ACol >= m_colCount)
        return 0;
    const int w = m_widths[size_t(ACol)];
    return w < 0 ? m_defaultColWidth : w;
}

void TStringGrid::SetColWidths(int ACol, int Value)
{
    if (ACol < 0 || ACol >= m_colCount)
        return;
    m_widths[size_t(ACol)] = Value;
    ApplyWidths();
}

int TStringGrid::DefaultRowHeight() const
{
    return verticalHeader()->defaultSectionSize();
}

void TStringGrid::SetDefaultRowHeight(int Value)
{
    verticalHeader()->setDefaultSectionSize(Value);
    horizontalHeader()->setFixedHeight(Value);
}

void TStringGrid::ApplyWidths()
{
    m_syncing = true;
    for (int c = 0; c < m_colCount; ++c)
        setColumnWidth(c, FontPixels(ColWidths(c), font()));
    m_syncing = false;
    horizontalHeader()->setVisible(m_fixedRows > 0);
}

void TStringGrid::SetRow(int Value)
{
    if (Value < m_fixedRows || Value >= RowCount())
        return;
    m_row = Value;
    SelectCurrent();
}

void TStringGrid::SelectCurrent()
{
    if (m_row < m_fixedRows || m_row >= RowCount() || m_colCount == 0)
        return;
    const QModelIndex target = m_model->index(ModelRow(m_row), m_col);
    m_syncing = true;
    auto done = qScopeGuard([this] { m_syncing = false; });
    QItemSelectionModel::SelectionFlags how = QItemSelectionModel::ClearAndSelect;
    if (RowSelect())
        how |= QItemSelectionModel::Rows;
    selectionModel()->setCurrentIndex(target, how);
    scrollTo(target);
}

bool TStringGrid::RowSelect() const
{
    return selectionBehavior() == QAbstractItemView::SelectRows;
}

void TStringGrid::SetRowSelect(bool Value)
{
    setSelectionBehavior(Value ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

QRect TStringGrid::CellRect(int ACol, int ARow) const
{
    return visualRect(m_model->index(ModelRow(ARow), ACol));
}

void TStringGrid::DefaultDrawCell(int ACol, int ARow, const QRect& Rect, TGridDrawState)
{
    if (m_canvas)
        m_canvas->CellText(Rect, Cells(ACol, ARow));
}

void TStringGrid::PaintCell(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index)
{
    const TGridDrawState state = CellDrawState(Option);
    TGridCanvas canvas(Painter);
    PrepareCellCanvas(canvas, Option, state);
    m_canvas = &canvas;
    auto done = qScopeGuard([this] { m_canvas = nullptr; });
    const int row = Index.row() + m_fixedRows;
    if (DefaultDrawing)
        DefaultDrawCell(Index.column(), row, Option.rect, state);
    if (OnDrawCell)
        OnDrawCell(this, Index.column(), row, Option.rect, state);
}
