#pragma once
// Lets a list take files dragged onto it from a file manager.

#include <QStringList>

#include <functional>

class QAbstractScrollArea;

namespace mainwin {

// Drags that carry local files are welcome on `view`; a drop hands them to
// `take` in the order of the drag. Drags of folders only, or of anything
// else, are refused, so the pointer shows that nothing would happen.
void acceptFileDrops(QAbstractScrollArea* view, std::function<void(const QStringList&)> take);

} // namespace mainwin
