#include "ui/MorePermissions.h"

#include "model/PDFSettings.h"
#include "ui/ControlBinding.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QToolButton>
#include <QVBoxLayout>

namespace lockleaf
{

namespace
{

QCheckBox *addBox(QVBoxLayout *layout, const char *name, const QString &text, const QString &tip)
{
    auto *box = new QCheckBox(text, layout->parentWidget());
    box->setObjectName(QLatin1String(name));
    box->setToolTip(tip);
    layout->addWidget(box);
    return box;
}

} // namespace

MorePermissions::MorePermissions(QGridLayout *grid, int row, QWidget *tabAfter, PDFSettings *settings,
                                 QObject *parent)
    : QObject(parent), m_settings(settings)
{
    QWidget *pane = grid->parentWidget();
    m_button = new QToolButton(pane);
    m_button->setObjectName(QStringLiteral("morePermissionsButton"));
    m_button->setText(tr("More permissions…"));
    m_button->setToolTip(tr("Show or hide the other permissions of the secured files"));
    m_button->setCheckable(true);
    m_button->setAutoRaise(true);
    m_button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    grid->addWidget(m_button, row, 1, 1, 2, Qt::AlignLeft);

    m_group = new QWidget(pane);
    m_group->setObjectName(QStringLiteral("morePermissionsGroup"));
    m_group->setAccessibleName(tr("More permissions"));
    auto *layout = new QVBoxLayout(m_group);
    // Indented under the button, as the boxes belong to it.
    layout->setContentsMargins(18, 0, 0, 0);
    layout->setSpacing(grid->verticalSpacing());
    m_modify = addBox(layout, "modifyDocumentCheckbox", tr("Allow changing the document"),
                      tr("Edit pages and content"));
    m_annotate = addBox(layout, "annotateCheckbox", tr("Allow adding and changing comments"),
                        tr("Add, change and remove comments"));
    m_fillForms = addBox(layout, "fillFormsCheckbox", tr("Allow filling in forms"),
                         tr("Fill in form fields and sign (needs a 128- or 256-bit key)"));
    m_assemble =
        addBox(layout, "assembleCheckbox", tr("Allow assembling (insert, rotate, delete pages)"),
               tr("Insert, rotate and delete pages, change bookmarks (needs a 128- or 256-bit key)"));
    m_highQuality = addBox(
        layout, "highQualityPrintCheckbox", tr("Print in high quality"),
        tr("Off: printing in low resolution only. Needs printing allowed (needs a 128- or 256-bit key)"));
    grid->addWidget(m_group, row + 1, 1, 1, 2);

    bindCheck(m_modify, settings, &PDFSettings::canModify, &PDFSettings::setCanModify,
              &PDFSettings::canModifyChanged);
    bindCheck(m_annotate, settings, &PDFSettings::canAnnotate, &PDFSettings::setCanAnnotate,
              &PDFSettings::canAnnotateChanged);
    bindCheck(m_fillForms, settings, &PDFSettings::canFillForms, &PDFSettings::setCanFillForms,
              &PDFSettings::canFillFormsChanged);
    bindCheck(m_assemble, settings, &PDFSettings::canAssemble, &PDFSettings::setCanAssemble,
              &PDFSettings::canAssembleChanged);
    bindCheck(m_highQuality, settings, &PDFSettings::canPrintHighQuality,
              &PDFSettings::setCanPrintHighQuality, &PDFSettings::canPrintHighQualityChanged);
    connect(settings, &PDFSettings::encryptionStrengthChanged, this, &MorePermissions::updateEnabled);
    connect(settings, &PDFSettings::canPrintChanged, this, &MorePermissions::updateEnabled);
    connect(m_button, &QToolButton::toggled, this, &MorePermissions::setOpen);

    QWidget *previous = tabAfter;
    for (QWidget *w : {static_cast<QWidget *>(m_button), static_cast<QWidget *>(m_modify),
                       static_cast<QWidget *>(m_annotate), static_cast<QWidget *>(m_fillForms),
                       static_cast<QWidget *>(m_assemble), static_cast<QWidget *>(m_highQuality)}) {
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }

    const bool defaults = !settings->canModify() && !settings->canAnnotate() && !settings->canFillForms() &&
                          !settings->canAssemble() && settings->canPrintHighQuality();
    setOpen(!defaults);
    updateEnabled();
}

MorePermissions::~MorePermissions() = default;

void MorePermissions::setAddMode(bool adding)
{
    m_adding = adding;
    updateEnabled();
}

void MorePermissions::setOpen(bool open)
{
    m_button->setChecked(open);
    m_button->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
    m_group->setVisible(open);
}

bool MorePermissions::isOpen() const
{
    return m_button->isChecked();
}

void MorePermissions::updateEnabled()
{
    // R2 (40 bits) has only the print, modify, copy and annotate bits.
    const bool fineBits = m_adding && keyLengthForStrength(m_settings->encryptionStrength()) != 40;
    m_button->setEnabled(m_adding);
    m_modify->setEnabled(m_adding);
    m_annotate->setEnabled(m_adding);
    m_fillForms->setEnabled(fineBits);
    m_assemble->setEnabled(fineBits);
    m_highQuality->setEnabled(fineBits && m_settings->canPrint());
}

} // namespace lockleaf
