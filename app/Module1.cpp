#include "app/Module1.h"

#include "app/frmSplash.h"

void Main()
{
    auto *splash = new frmSplash;
    splash->show();
    splash->repaint();
}
