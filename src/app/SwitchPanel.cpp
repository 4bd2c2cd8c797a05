#include "SwitchPanel.h"

#include "SwitchBits.h"
#include "SwitchMeanings.h"

#include <QLabel>
#include <QRadioButton>
#include <QScopedValueRollback>

#include <utility>

namespace {

constexpr int kPairCount = 8;

bool isPairIndex(int index)
{
    return index >= 0 && index < kPairCount;
}

// The selected button of a pair stands out in bold type.
void emphasise(QRadioButton *button)
{
    QFont font = button->font();
    font.setBold(button->isChecked());
    button->setFont(font);
}

} // namespace

SwitchPanel::SwitchPanel(SwitchByte sw, const Buttons &on, const Buttons &off,
                         QList<QLabel *> labels, ModelSource model, QObject *parent)
    : QObject(parent)
    , m_sw(sw)
    , m_on(on)
    , m_off(off)
    , m_labels(std::move(labels))
    , m_modelName(std::move(model))
{
    // A button selected by other means than a click (the accessibility action "toggle") counts
    // as the user's choice too; values the program shows do not.
    for (int i = 0; i < kPairCount; ++i) {
        for (QRadioButton *button : {m_on[i], m_off[i]}) {
            connect(button, &QRadioButton::toggled, this, [this, i](bool selected) {
                if (selected && !m_showingValue)
                    selectedByUser(i);
            });
        }
        // Screen readers name each button by its byte and switch; the caption alone ("1: ON")
        // is the same on every page.
        const QString pair = QStringLiteral("%1 switch %2 ").arg(switchName(sw)).arg(i + 1);
        m_on[i]->setAccessibleName(pair + QStringLiteral("ON"));
        m_off[i]->setAccessibleName(pair + QStringLiteral("OFF"));
    }
}

void SwitchPanel::ShowValue(int value)
{
    const QScopedValueRollback showing(m_showingValue, true);
    const std::array<bool, 8> off = SwitchBits::offStates(value);
    for (int i = kPairCount - 1; i >= 0; --i)
        (off[i] ? m_off[i] : m_on[i])->setChecked(true);
    for (int i = 0; i < kPairCount; ++i)
        ShowMeaning(i);
}

quint8 SwitchPanel::value() const
{
    std::array<bool, 8> off{};
    for (int i = 0; i < kPairCount; ++i)
        off[i] = m_off[i]->isChecked();
    return quint8(SwitchBits::valueFromOffStates(off));
}

void SwitchPanel::ShowMeaning(int index)
{
    if (!hasEmphasis(index))
        return;
    emphasise(m_off[index]);
    emphasise(m_on[index]);
    const QString model = m_modelName();
    const SwitchPairs states = pairs();
    const std::optional<MeaningUpdate> update = SwitchMeanings::meaning(m_sw, model, index, states);
    if (!update || update->labelIndex < 0 || update->labelIndex >= m_labels.size())
        return;
    m_labels[update->labelIndex]->setText(update->text);
    // Both buttons of every switch that the text explains (two switches may share one text)
    // carry it as their accessible description, which screen readers read with the button.
    for (int i = 0; i < kPairCount; ++i) {
        const std::optional<MeaningUpdate> shown = SwitchMeanings::meaning(m_sw, model, i, states);
        if (shown && shown->labelIndex == update->labelIndex) {
            m_on[i]->setAccessibleDescription(update->text);
            m_off[i]->setAccessibleDescription(update->text);
        }
    }
}

void SwitchPanel::selectedByUser(int index)
{
    Q_EMIT changedByUser();
    ShowMeaning(index);
}

SwitchPairs SwitchPanel::pairs() const
{
    SwitchPairs states{};
    for (int i = 0; i < kPairCount; ++i) {
        if (m_off[i]->isChecked())
            states[i] = PairState::Off;
        else if (m_on[i]->isChecked())
            states[i] = PairState::On;
        else
            states[i] = PairState::None;
    }
    return states;
}

QRadioButton *SwitchPanel::onButton(int index) const
{
    return isPairIndex(index) ? m_on[index] : nullptr;
}

QRadioButton *SwitchPanel::offButton(int index) const
{
    return isPairIndex(index) ? m_off[index] : nullptr;
}

bool SwitchPanel::hasEmphasis(int index) const
{
    // Of the additional switch byte only switch 1 has a meaning; its other pairs only follow
    // the byte read.
    if (m_sw == SwitchByte::SW3)
        return index == 0;
    return isPairIndex(index);
}
