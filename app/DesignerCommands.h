// The designer's commands in one list: each gives its menu, the text of its
// menu entry, its tooltip, icon and keys, and what it runs. The main window
// builds its menu bar, the actions behind its toolbar buttons, the context
// menu of the drawing area and every keyboard shortcut from this list, and
// the README's shortcut table is tested against it. A new command is a new
// entry (and, when the window keeps it, a QAction member of TForm1).
#pragma once

#include <QKeySequence>
#include <QList>
#include <span>

class QAction;

namespace gc::app {

class TForm1;

enum class TCommandMenu { mnFile, mnEdit, mnView, mnArrange };

enum TCommandFlag : unsigned {
  cfNone = 0,
  cfSeparatorBefore = 1u << 0,  // a separator comes before it in its menu
  cfCheckable = 1u << 1,        // an on/off setting
  cfContextMenu = 1u << 2,      // also in the drawing area's context menu
  cfMayAsk = 1u << 3,           // may open a dialog or ask a question
  cfSubmenu = 1u << 4,          // opens a submenu that the window fills; runs nothing itself
};

struct TDesignerCommand {
  QAction* TForm1::*Action;  // the window's member holding its action
  TCommandMenu Menu;
  const char* Text;  // the menu entry; "&" marks its access key
  const char* Hint;  // tooltip, also of the toolbar button that runs it
  const char* Icon;  // icon name, or null
  // The keys in Qt's portable text, separated by "; ". The first is shown
  // in the menu; each belongs to this command alone.
  const char* Keys;
  // The platform's own keys for this kind of command, added to Keys unless
  // another command owns them (on X11 Ctrl+D also means Delete, and stays
  // Duplicate's).
  QKeySequence::StandardKey Standard;
  void (*Run)(TForm1&);  // null for a submenu
  unsigned Flags;
};

// Every command, in menu order.
std::span<const TDesignerCommand> DesignerCommands();

// The menu entry's text as the README and the menus' reader see it: without
// "&" and a trailing "…".
QString CommandName(const TDesignerCommand& command);

// The command's own keys, from Keys.
QList<QKeySequence> OwnKeys(const TDesignerCommand& command);

// The keys of every command, each key sequence given to one command only: a
// command's own keys first, then its platform keys that no command has taken.
// In the order of DesignerCommands().
QList<QList<QKeySequence>> CommandKeys();

}  // namespace gc::app
