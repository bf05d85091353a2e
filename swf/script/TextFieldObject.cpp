#include "script/TextFieldObject.h"

#include "script/Builtins.h"
#include "script/Conversions.h"
#include "script/Limits.h"
#include "script/MovieClipObject.h"

namespace swf::script {

namespace {

enum Name { Text, HtmlText, Html, Length, None };

Name nameOf(Engine &engine, const QString &name)
{
    // Version 5 fields keep what a script sets as plain properties.
    if (engine.version() < 6)
        return None;
    if (engine.namesMatch(name, QStringLiteral("text")))
        return Text;
    if (engine.namesMatch(name, QStringLiteral("htmlText")))
        return HtmlText;
    if (engine.namesMatch(name, QStringLiteral("html")))
        return Html;
    if (engine.namesMatch(name, QStringLiteral("length")))
        return Length;
    return None;
}

QString escaped(const QString &text)
{
    QString out = text;
    out.replace(u'&', QLatin1String("&amp;"));
    out.replace(u'<', QLatin1String("&lt;"));
    out.replace(u'>', QLatin1String("&gt;"));
    return out;
}

} // namespace

QString TextFieldObject::html() const
{
    QString out;
    QString text = m_text;
    text.replace(u'\n', u'\r');
    for (const QString &paragraph : text.split(u'\r')) {
        // Past the longest text a script may hold the rest is left out.
        if (out.size() > Limits::StringLength)
            break;
        out += QStringLiteral("<P ALIGN=\"LEFT\"><FONT FACE=\"Times New Roman\" SIZE=\"12\" "
                              "COLOR=\"#000000\" LETTERSPACING=\"0\" KERNING=\"0\">")
            + escaped(paragraph) + QStringLiteral("</FONT></P>");
    }
    return out;
}

QString TextFieldObject::fromHtml(const QString &html)
{
    QString out;
    for (int i = 0; i < html.size(); ++i) {
        const QChar c = html.at(i);
        if (c == u'<') {
            const int end = html.indexOf(u'>', i);
            if (end < 0)
                break;
            const QString tag = html.mid(i + 1, end - i - 1).trimmed().toLower();
            if (tag == u"br" || tag == u"br/")
                out += u'\r';
            i = end;
        } else if (c == u'&') {
            static const std::pair<const char *, char16_t> entities[] = {
                {"&lt;", u'<'}, {"&gt;", u'>'}, {"&amp;", u'&'}, {"&quot;", u'"'}, {"&apos;", u'\''}};
            bool found = false;
            for (const auto &[name, ch] : entities) {
                if (html.mid(i, int(qstrlen(name))) == QLatin1String(name)) {
                    out += QChar(ch);
                    i += int(qstrlen(name)) - 1;
                    found = true;
                    break;
                }
            }
            if (!found)
                out += c;
        } else {
            out += c == u'\n' ? QChar(u'\r') : c;
        }
    }
    return out;
}

void TextFieldObject::remove(Engine &engine)
{
    Object *parent = m_parent;
    if (MovieClipObject *clip = parent ? parent->asMovieClip() : nullptr)
        parent = clip->resolve(engine);
    if (parent && parent->get(engine, m_name).object() == this)
        parent->remove(engine, m_name);
}

bool TextFieldObject::getSpecial(Engine &engine, const QString &name, Value &out)
{
    switch (nameOf(engine, name)) {
    case Text: out = m_text; return true;
    case HtmlText: out = m_html ? html() : m_text; return true;
    case Html: out = m_html; return true;
    case Length: out = double(m_text.size()); return true;
    case None: return false;
    }
    return false;
}

bool TextFieldObject::setSpecial(Engine &engine, const QString &name, const Value &value)
{
    switch (nameOf(engine, name)) {
    case Text: m_text = engine.toString(value); return true;
    case HtmlText: {
        const QString text = engine.toString(value);
        m_text = m_html ? fromHtml(text) : text;
        return true;
    }
    case Html: m_html = engine.toBoolean(value); return true;
    case Length: return true;
    case None: return false;
    }
    return false;
}

bool TextFieldObject::hasSpecial(Engine &engine, const QString &name)
{
    return nameOf(engine, name) != None;
}

namespace builtins {

namespace {

TextFieldObject *field(NativeCall &call) { return self<TextFieldObject>(call); }

Value replaceText(NativeCall &call)
{
    TextFieldObject *t = field(call);
    if (!t || call.count() < 3)
        return {};
    const QString text = t->text();
    const int from = std::clamp(toInt32(call.engine.toNumber(call.arg(0))), 0, int(text.size()));
    const int to = std::clamp(toInt32(call.engine.toNumber(call.arg(1))), from, int(text.size()));
    QString replaced = text.left(from) + call.engine.toString(call.arg(2)) + text.mid(to);
    call.engine.checkString(replaced);
    t->setText(replaced);
    return {};
}

Value removeTextField(NativeCall &call)
{
    // Clips stay: only removeMovieClip takes both.
    if (TextFieldObject *t = field(call))
        t->remove(call.engine);
    return {};
}

Value getDepth(NativeCall &call)
{
    TextFieldObject *t = field(call);
    return t ? Value(t->depth()) : Value();
}

Value nothing(NativeCall &)
{
    return {};
}

Value textFormat(NativeCall &call)
{
    return call.engine.heap().make<Object>(call.newPrototype);
}

} // namespace

void installTextField(Engine &engine, Engine::Prototypes &prototypes)
{
    Object *p = engine.newObject();
    prototypes.textField = p;
    NativeFunction *constructor = engine.newClass(nothing, nullptr, p);
    // Fields of version 5 movies answer no method: one asked to remove
    // itself stays.
    if (engine.version() >= 6) {
        engine.method(p, str("getDepth"), getDepth);
        engine.method(p, str("removeTextField"), removeTextField);
        for (const char *name : {"setTextFormat", "setNewTextFormat", "getTextFormat", "getNewTextFormat",
                                 "replaceSel"})
            engine.method(p, str(name), nothing);
    }
    if (engine.version() >= 7)
        engine.method(p, str("replaceText"), replaceText);
    engine.global()->define(engine, str("TextField"), Value(constructor));
    // TextFormat objects are kept but change nothing.
    NativeFunction *format = engine.newClass(nothing, textFormat, engine.newObject());
    engine.global()->define(engine, str("TextFormat"), Value(format));
}

} // namespace builtins

} // namespace swf::script
