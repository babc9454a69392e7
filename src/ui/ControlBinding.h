#pragma once

// Two-way ties between a settings pane control and one field of a settings
// record, shared by the pane's parts.

#include <QAbstractButton>
#include <QLineEdit>
#include <QObject>
#include <QString>

namespace lockleaf
{

// A text field edits a string field: typing writes it at once, and a change made
// elsewhere (loading, the gathering task, a run) shows in the field. Change
// signals from another thread arrive queued, on the main thread.
template <typename Obj>
void bindText(QLineEdit *field, Obj *obj, QString (Obj::*get)() const, void (Obj::*set)(const QString &),
              void (Obj::*changed)())
{
    field->setText((obj->*get)());
    QObject::connect(field, &QLineEdit::textEdited, obj,
                     [obj, set](const QString &text) { (obj->*set)(text); });
    QObject::connect(obj, changed, field, [field, obj, get] {
        const QString value = (obj->*get)();
        if (field->text() != value)
            field->setText(value);
    });
}

// `clicked` fires for user changes only, so a change shown from the settings
// never writes back.
template <typename Obj>
void bindCheck(QAbstractButton *box, Obj *obj, bool (Obj::*get)() const, void (Obj::*set)(bool),
               void (Obj::*changed)())
{
    box->setChecked((obj->*get)());
    QObject::connect(box, &QAbstractButton::clicked, obj, [obj, set](bool on) { (obj->*set)(on); });
    QObject::connect(obj, changed, box, [box, obj, get] { box->setChecked((obj->*get)()); });
}

} // namespace lockleaf
