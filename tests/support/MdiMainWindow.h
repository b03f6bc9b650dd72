#pragma once

// A shown main window with an MDI area, handed to the library as the
// program's main form for as long as it lives.

#include "UXForms.h"
#include "XMdi.h"

#include <QMainWindow>
#include <QMdiArea>

struct TMdiMainWindow
{
    QMainWindow main;
    QMdiArea* area = NewMDIArea();

    TMdiMainWindow()
    {
        main.setCentralWidget(area);
        main.resize(1000, 700);
        main.show();
        InitLib(&main, true);
    }
    ~TMdiMainWindow() { InitLib(nullptr, false); }

    // Form, given the size W x H, in a frame of its own.
    QMdiSubWindow* add(int W, int H, QWidget* Form = new QWidget)
    {
        Form->resize(W, H);
        return AddMDIChild(area, Form);
    }
};
