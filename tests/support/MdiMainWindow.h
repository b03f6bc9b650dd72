#pragma once

// A shown main window with an MDI area, handed to the library as the
// program's main form for as long as it lives.

#include "UXForms.h"

#include <QMainWindow>
#include <QMdiArea>

struct TMdiMainWindow
{
    QMainWindow main;
    QMdiArea* area = new QMdiArea;

    TMdiMainWindow()
    {
        main.setCentralWidget(area);
        main.resize(1000, 700);
        main.show();
        InitLib(&main, true);
    }
    ~TMdiMainWindow() { InitLib(nullptr, false); }
};
