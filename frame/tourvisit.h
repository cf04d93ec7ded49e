#pragma once

#include <QString>

// One step of the demo tour in a module's window: what to select, what to
// open and the picture taken. A module lists its steps for each of its
// navigation names (CProModule::TourVisits); the host's tour runs them in
// order after opening the module, and reports a step it cannot carry out.
struct CTourVisit
{
    // What the step's picture shows.
    enum Shot {
        Window, // the main window, once the step has settled
        Dialog, // the dialog the step opens, which is closed afterwards
        None,   // nothing: the step only prepares the next one
    };

    // In the active document window, before opening:
    //   ""                nothing;
    //   "first"           clicks the first entry of the first visible list or
    //   "first:VIEW"      tree (of that object name), its first child when it has children;
    //   "branch"          selects, in the first visible tree, the first node
    //                     whose children are all leaves (a device with its monitors),
    //   "branch/first"    its first child, "branch/parent" its parent;
    //   "click:NAME"      clicks (double clicks) the first widget of that
    //   "doubleclick:NAME" object name.
    QString select;
    // Then:
    //   ""                nothing;
    //   "toolbar:TEXT"    triggers the module toolbar's enabled command of that text;
    //   "command:ID"      routes the command number through the main window;
    //   "action:NAME"     triggers the window's action of that object name;
    //   "action:WIDGET/TEXT" the action of that text on the widget of that name;
    //   "button:NAME"     presses the button of that object name in the dialog
    //                     the previous (Dialog) step opened, which stays open for it.
    QString open;
    // Added to the module's picture name after a '-'; empty: the module's own picture.
    QString picture;
    Shot shot = Window;
};
