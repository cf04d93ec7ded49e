#pragma once

class CProMainFrame;
class QToolBar;

// The main window's menu bar, in Chinese or English; every entry sends its
// command to the application, whatever document window is active.
void BuildMainMenu(CProMainFrame *frame, bool chinese);
// The main toolbar (resource 128).
QToolBar *CreateMainToolBar(CProMainFrame *frame);
