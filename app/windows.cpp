#include "windows.h"

#include "mdi_main.h"

void registerWindows(mdi_main &main)
{
    (void)main;
}
