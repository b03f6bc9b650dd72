// Takes a picture of a child window with a data grid as the consultation
// windows show it: columns added with AddGridColumn, even records shaded,
// written-off crossings in red, the current record highlighted.
//
//   shot_grid [out.png]      (default /tmp/grid.png)

#include "CampaignBuilder.h"
#include "UFBCad.h"
#include "UXForms.h"
#include "XAnchors.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>

#include <cstdio>

namespace {

class TFGridShot : public TFBCad
{
    Q_OBJECT
public:
    explicit TFGridShot(QWidget* Owner = nullptr) : TFBCad(Owner)
    {
        setWindowTitle("Cruzamentos registrados");
        resize(760, 420);
        GCons = new TDBGrid(this);
        GCons->setObjectName("GCons");
        GCons->setGeometry(8, 8, 744, 368);
        GCons->SetOptions(dgTitles | dgIndicator | dgColumnResize | dgRowSelect);
        SetAnchors(GCons, akLeft | akTop | akRight | akBottom);
        LRegistro = new QLabel("Registros: 0", this);
        LRegistro->setGeometry(8, 392, 200, 16);
        SetAnchors(LRegistro, akLeft | akBottom);
        BConfirm->setText("Atualizar");
        GCons->OnDrawColumnCell = [this](TDBGrid* Sender, const QRect& Rect, int DataCol, TColumn* Column,
                                         TGridDrawState State, int RecNo) {
            if (Sender->FieldText(RecNo, "status") == "X") {
                Sender->Canvas()->Brush.Color = ColorToQColor(clRed);
                Sender->Canvas()->Font.Color = ColorToQColor(clBlack);
                Sender->DefaultDrawColumnCell(Rect, DataCol, Column, State);
                return;
            }
            DrawCellShaded(RecNo, Sender, Rect, Column, State);
        };
    }

    void Show(TADOQuery* Q)
    {
        AddGridColumn(GCons, "dupd", u"Inclusão"_qs, 140, taLeftJustify);
        AddGridColumn(GCons, "nc_rep", "NC_Rep", 90, taRightJustify);
        AddGridColumn(GCons, "seq", "Seq", 40, taRightJustify);
        AddGridColumn(GCons, "status", "Status", 45, taCenter);
        AddGridColumn(GCons, "codigo_cruza", u"Código Cruza"_qs, 150, taLeftJustify);
        AddGridColumn(GCons, "planejamento", "Planejamento", 150, taLeftJustify);
        GCons->SetDataSet(Q);
        Q->Open();
        LRegistro->setText(QStringLiteral("Registros: %1").arg(Q->RecordCount()));
        Q->setRecNo(5);
    }

    TDBGrid* GCons;
    QLabel* LRegistro;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/grid.png");

    QTemporaryDir dir;
    TCampaignOptions options;
    options.Labels = 60;
    options.Crossings = 40;
    const TCampaignInfo info = TCampaignBuilder::Build(dir.filePath("campanha.mdb"), options);
    TADOConnection conn;
    conn.setConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + info.Path);
    conn.Open();

    QMainWindow main;
    auto* area = new QMdiArea;
    main.setCentralWidget(area);
    main.setWindowTitle(u"Cadastro Hibridação - Talvora"_qs);
    main.resize(820, 520);
    main.show();
    InitLib(&main, true);

    TADOQuery q;
    q.setConnection(&conn);
    q.SQL.setText("SELECT c.dupd, c.nc_rep, c.seq, c.status, pc.codigo_cruza, pc.planejamento "
                  "FROM (Cruza c LEFT OUTER JOIN Etiqueta_Cruza ec ON (c.nc_rep = ec.nc_rep)) "
                  "LEFT OUTER JOIN Planejamento_Cruza pc ON (ec.nc = pc.nc) ORDER BY c.dupd DESC");
    TFGridShot* w = ShowMDIChild<TFGridShot>(false, true);
    w->Show(&q);
    MDISubWindowOf(w)->move(10, 10);
    QApplication::processEvents();

    if (!main.grab().save(out)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
        return 1;
    }
    std::printf("%s: %d records, %s\n", qPrintable(out), q.RecordCount(), qPrintable(info.Describe()));
    return 0;
}

#include "shot_grid.moc"
