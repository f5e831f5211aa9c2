#include "support/ShownView.h"

#include <QtTest>

std::unique_ptr<GLGrid> shownView(int width, int height)
{
    auto view = std::make_unique<GLGrid>(nullptr, "gLGridTest");
    view->resize(width, height);
    view->show();
    if (!QTest::qWaitForWindowExposed(view.get()))
        return nullptr;
    view->grabFramebuffer(); // initialise and size the GL state now
    return view;
}

int countNonWhite(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xffffff) != 0xffffff)
                ++count;
    return count;
}
