#include "MovieControl.h"

#include "MovieView.h"

namespace platform {

MovieControl::MovieControl(Form *form, const QString &name, int index, Control *container)
    : Control(Kind::Movie, form, container, new MovieView(parentWidgetFor(form, container)), name, index)
    , m_view(static_cast<MovieView *>(widget()))
{
}

void MovieControl::setMovie(const QString &path)
{
    m_movie = path;
    if (path.isEmpty())
        m_view->clear();
    else
        m_view->load(path);
}

void MovieControl::Stop() { m_view->stop(); }
void MovieControl::Play() { m_view->play(); }
bool MovieControl::isPlaying() const { return m_view->isPlaying(); }
bool MovieControl::hasMovie() const { return m_view->hasMovie(); }
int MovieControl::currentFrame() const { return m_view->currentFrame(); }

QVariant MovieControl::propertyByName(const QString &property) const
{
    if (property.compare(QLatin1String("Movie"), Qt::CaseInsensitive) == 0)
        return m_movie;
    return Control::propertyByName(property);
}

void MovieControl::setPropertyByName(const QString &property, const QVariant &value)
{
    if (property.compare(QLatin1String("Movie"), Qt::CaseInsensitive) == 0) {
        setMovie(value.toString());
        return;
    }
    Control::setPropertyByName(property, value);
}

} // namespace platform
