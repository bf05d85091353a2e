#pragma once

#include "script/Object.h"

namespace swf::script {

// A text field a script made (createTextField): its text, as plain text
// and as the HTML the players write for it. It holds no picture; the
// formatting API is not followed.
class TextFieldObject : public Object
{
public:
    TextFieldObject(Object *prototype, Object *parent, const QString &name, int depth)
        : Object(prototype), m_parent(parent), m_name(name), m_depth(depth)
    {
    }
    QString className() const override { return QStringLiteral("TextField"); }

    const QString &text() const { return m_text; }
    void setText(const QString &text) { m_text = text; }
    int depth() const { return m_depth; }
    // removeTextField (or removeMovieClip): the parent forgets it.
    void remove(Engine &engine);

    // The text as htmlText gives it: each paragraph in the players' tags.
    QString html() const;
    // htmlText set: the tags dropped, paragraphs kept, entities read.
    static QString fromHtml(const QString &html);

protected:
    bool getSpecial(Engine &engine, const QString &name, Value &out) override;
    bool setSpecial(Engine &engine, const QString &name, const Value &value) override;
    bool hasSpecial(Engine &engine, const QString &name) override;
    void traceMore(Tracer &tracer) const override { tracer.mark(m_parent); }

private:
    Object *m_parent;
    QString m_name;
    QString m_text;
    bool m_html = false;
    int m_depth;
};

} // namespace swf::script
