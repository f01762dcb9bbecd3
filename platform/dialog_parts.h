// What the dialog builder, the form and the dialog test support share inside platform/: the
// record behind a Dialog and the building of a template's controls.
#pragma once

#include <Qt>
#include <functional>
#include <map>

#include "platform/dialog.h"
#include "platform/dialog_units.h"

class QDialog;
class QFont;
class QWidget;

namespace ui {

// Where a list view's column keeps its key.
inline constexpr int kColumnKeyRole = Qt::UserRole;

struct Dialog {
    DialogTemplate layout;  // the template's tables are static and outlive the dialog
    QWidget* window = nullptr;
    QDialog* modal = nullptr;  // the same window when it is a modal dialog
    std::function<void(Dialog&, int id)> command;
    std::map<int, QWidget*> controls;
    std::map<int, const ControlSpec*> specs;
    DialogBaseUnits baseUnits;  // for dialog units
    double dotsPerInch = 96;    // for twips
    bool ended = false;
    int result = 0;
};

// The font of a template, with stand-ins for families the host lacks.
QFont DialogFont(const char* family, int points);

// Template units to pixels, each coordinate and size on its own.
int ToPixelsX(const Dialog& dialog, double units);
int ToPixelsY(const Dialog& dialog, double units);
double FromPixelsX(const Dialog& dialog, int pixels);
double FromPixelsY(const Dialog& dialog, int pixels);

// Gives `dialog.window` the template's caption, font and client size and builds its controls.
// A push button's click calls `dialog.command` with the button's id.
void BuildDialogWindow(Dialog& dialog);
// Gives the focus to the first enabled, visible tab stop and selects its text.
void FocusFirstTabStop(Dialog& dialog);

// The widget of a control, or null.
QWidget* ItemWidget(Dialog& dialog, int id);

}  // namespace ui
