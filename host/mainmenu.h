#pragma once

class CProMainFrame;
class QToolBar;

// The main window's menu bar, in Chinese or English; every entry sends its
// command through the frame.
void BuildMainMenu(CProMainFrame *frame, bool chinese);
// The main toolbar (resource 128).
QToolBar *CreateMainToolBar(CProMainFrame *frame);
