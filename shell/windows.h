#pragma once

class mdi_main;

// Tells the main window which window each menu entry shows.
void registerWindows(mdi_main &main);
