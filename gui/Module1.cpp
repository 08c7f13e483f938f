#include "gui/Module1.h"

#include "gui/frmSplash.h"

void Main()
{
    auto *splash = new frmSplash;
    splash->show();
    splash->repaint();
}
