#include "ui/TranslateForm.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QToolButton>
#include <QVariant>
#include <QWidget>

#include "ui/UiText.h"

namespace aerolyx {

namespace {

const char* kSrcText = "aerolyxSrcText";
const char* kSrcTip = "aerolyxSrcTip";
const char* kSrcTitle = "aerolyxSrcTitle";

std::string TagOf(const QObject* o)
{
    return o->property("tag").toString().toStdString();
}

// The original text of one translatable property, remembered on first use.
QString Original(QObject* o, const char* key, const QString& current)
{
    QVariant v = o->property(key);
    if (!v.isValid()) {
        o->setProperty(key, current);
        return current;
    }
    return v.toString();
}

QString Tr(const FormTranslator& tr, const QString& s)
{
    if (s.isEmpty() || !tr.translate) return s;
    return QString::fromStdString(tr.translate(s.toStdString()));
}

QString Caption(const FormTranslator& tr, QObject* o, const QString& current)
{
    std::string kind = TagUnitKind(TagOf(o));
    if (!kind.empty() && tr.unitText) return QString::fromStdString(tr.unitText(kind));
    return Tr(tr, Original(o, kSrcText, current));
}

void TranslateToolTip(const FormTranslator& tr, QWidget* w)
{
    QString tip = w->toolTip();
    if (tip.isEmpty() && !w->property(kSrcTip).isValid()) return;
    w->setToolTip(Tr(tr, Original(w, kSrcTip, tip)));
}

void TranslateAction(const FormTranslator& tr, QAction* a)
{
    if (a->isSeparator() || TagOf(a).find("/NTRN") != std::string::npos) return;
    // An action's tool tip follows its text unless one was set explicitly;
    // only an explicit one is translated on its own.
    bool ownTip = a->property(kSrcTip).isValid();
    if (!ownTip) {
        QString plain = a->text();
        plain.remove('&');
        if (!a->toolTip().isEmpty() && a->toolTip() != plain) {
            a->setProperty(kSrcTip, a->toolTip());
            ownTip = true;
        }
    }
    if (!a->text().isEmpty() || a->property(kSrcText).isValid())
        a->setText(Caption(tr, a, a->text()));
    if (ownTip) a->setToolTip(Tr(tr, a->property(kSrcTip).toString()));
    if (!a->statusTip().isEmpty() || a->property("aerolyxSrcStatus").isValid())
        a->setStatusTip(Tr(tr, Original(a, "aerolyxSrcStatus", a->statusTip())));
}

}  // namespace

std::string TagUnitKind(const std::string& tag)
{
    auto p = tag.find("/U:");
    if (p == std::string::npos) return {};
    p += 3;
    auto e = tag.find(' ', p);
    return tag.substr(p, e == std::string::npos ? std::string::npos : e - p);
}

void TranslateForm(QWidget* form, const FormTranslator& tr)
{
    if (!form) return;
    QList<QWidget*> widgets = form->findChildren<QWidget*>();
    widgets.prepend(form);
    for (QWidget* w : widgets) {
        if (TagOf(w).find("/NTRN") != std::string::npos) continue;
        if (w == form || w->isWindow()) {
            if (!w->windowTitle().isEmpty() || w->property(kSrcTitle).isValid())
                w->setWindowTitle(Tr(tr, Original(w, kSrcTitle, w->windowTitle())));
        }
        if (auto* l = qobject_cast<QLabel*>(w)) {
            if (!l->text().isEmpty() || l->property(kSrcText).isValid()) l->setText(Caption(tr, l, l->text()));
        } else if (auto* tb = qobject_cast<QToolButton*>(w); tb && tb->defaultAction()) {
            // Tool bar buttons show their action's texts, translated with it.
        } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            if (!b->text().isEmpty() || b->property(kSrcText).isValid()) b->setText(Caption(tr, b, b->text()));
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            if (!g->title().isEmpty() || g->property(kSrcText).isValid()) g->setTitle(Caption(tr, g, g->title()));
        } else if (auto* t = qobject_cast<QTabWidget*>(w)) {
            for (int i = 0; i < t->count(); ++i) {
                QByteArray key = QByteArray(kSrcText) + QByteArray::number(i);
                t->setTabText(i, Tr(tr, Original(t, key.constData(), t->tabText(i))));
            }
        }
        TranslateToolTip(tr, w);
    }
    // Menus and tool bars: every action (menus' own titles are actions too).
    QList<QAction*> actions = form->findChildren<QAction*>();
    for (QMenu* m : form->findChildren<QMenu*>())
        if (!actions.contains(m->menuAction())) actions.append(m->menuAction());
    for (QAction* a : actions) TranslateAction(tr, a);
}

}  // namespace aerolyx

namespace aerolyx {

void TranslateForm(QWidget* form)
{
    FormTranslator tr;
    tr.translate = [](const std::string& s) { return UiTr(s); };
    tr.unitText = [](const std::string& kind) { return UiUnitText(kind); };
    TranslateForm(form, tr);
}

}  // namespace aerolyx
