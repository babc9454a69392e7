#pragma once

#include <QObject>

class QAbstractButton;
class QCheckBox;
class QGridLayout;
class QToolButton;
class QWidget;

namespace lockleaf
{

class PDFSettings;

// The "More permissions…" disclosure of the settings pane: a tool button that
// shows or hides a group of check boxes for the finer permissions (changing,
// comments, forms, assembling, high-quality printing), each tied both ways to
// its PDFSettings field like the print and copy boxes.
//
// Makes its widgets in two rows of the pane's grid (owned by the grid's
// widget); the settings are not owned. The boxes are enabled in add mode
// only, and only where the chosen key length can express them: a 40-bit key
// has no bits for forms, assembling or print quality, and print quality needs
// printing allowed. The group starts open when the record holds a choice other
// than the defaults, so a granted permission is never out of sight.
// Main thread only; settings changed on another thread show queued.
class MorePermissions final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MorePermissions)

public:
    // Fills rows `row` and `row + 1` of `grid` from column 1; tabbing goes from
    // `tabAfter` to the button and then through the boxes.
    MorePermissions(QGridLayout *grid, int row, QWidget *tabAfter, PDFSettings *settings,
                    QObject *parent = nullptr);
    ~MorePermissions() override;

    void setAddMode(bool adding);
    void setOpen(bool open);
    bool isOpen() const;

private:
    void updateEnabled();

    PDFSettings *m_settings;
    QToolButton *m_button;
    QWidget *m_group;
    QCheckBox *m_modify;
    QCheckBox *m_annotate;
    QCheckBox *m_fillForms;
    QCheckBox *m_assemble;
    QCheckBox *m_highQuality;
    bool m_adding = true;
};

} // namespace lockleaf
