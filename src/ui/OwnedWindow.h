#pragma once
// Running a window over its owner without making it a child: a disabled
// parent would disable its child windows as well.
#include <QEventLoop>
#include <QObject>
#include <QWidget>

namespace aerolyx {

// Shows `w` and waits for its Closed signal; the owner (may be null) is
// disabled meanwhile and active again afterwards.
template <class Window>
void RunOverOwner(QWidget* owner, Window& w)
{
    QEventLoop loop;
    QObject::connect(&w, &Window::Closed, &loop, &QEventLoop::quit);
    if (owner) owner->setEnabled(false);
    w.show();
    w.raise();
    w.activateWindow();
    loop.exec();
    if (owner) {
        owner->setEnabled(true);
        owner->activateWindow();
    }
}

}  // namespace aerolyx
