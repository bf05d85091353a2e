#include "MovieView.h"

#include <QPainter>

namespace platform {

MovieView::MovieView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

MovieView::~MovieView() = default;

bool MovieView::load(const QString &)
{
    update();
    return false;
}

void MovieView::clear()
{
    update();
}

bool MovieView::hasMovie() const { return false; }
void MovieView::play() {}
void MovieView::stop() {}
bool MovieView::isPlaying() const { return false; }
int MovieView::currentFrame() const { return 0; }

void MovieView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
}

} // namespace platform
