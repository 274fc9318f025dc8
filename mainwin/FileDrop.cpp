#include "mainwin/FileDrop.h"

#include "mainwin/SourceSelection.h"

#include <QAbstractScrollArea>
#include <QDropEvent>
#include <QMimeData>

namespace mainwin {

namespace {

class FileDropFilter : public QObject
{
public:
    FileDropFilter(std::function<void(const QStringList&)> take, QObject* parent)
        : QObject(parent), m_take(std::move(take))
    {
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (filesOf(drag).isEmpty()) {
                drag->ignore();
            } else {
                // The files stay where they are: we only read them.
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList files = filesOf(drop);
            if (files.isEmpty()) {
                drop->ignore();
                return true;
            }
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            m_take(files);
            return true;
        }
        default:
            return false;
        }
    }

private:
    static QStringList filesOf(const QDropEvent* event)
    {
        const QMimeData* data = event->mimeData();
        if (!data || !data->hasUrls())
            return {};
        return droppedFiles(data->urls());
    }

    std::function<void(const QStringList&)> m_take;
};

} // namespace

void acceptFileDrops(QAbstractScrollArea* view, std::function<void(const QStringList&)> take)
{
    // Drags reach the viewport; the view's own item moves stay off.
    view->setAcceptDrops(true);
    view->viewport()->setAcceptDrops(true);
    view->viewport()->installEventFilter(new FileDropFilter(std::move(take), view));
}

} // namespace mainwin
