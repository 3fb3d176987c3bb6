// The messages Qt prints (warnings about ambiguous shortcuts, painting,
// widgets), kept for the window tests: each test starts with none and fails
// on any it leaves. They are printed as well.
#pragma once

#include <QString>
#include <QStringList>

namespace gc::app {

// Installs the handler that keeps the messages; call before the QApplication.
void RecordQtMessages();
// The messages since the last TakeQtMessages, which forgets them.
QStringList TakeQtMessages();

}  // namespace gc::app
