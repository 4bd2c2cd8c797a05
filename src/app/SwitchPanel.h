#pragma once

#include "SwitchTypes.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QtGlobal>

#include <array>
#include <functional>

class QLabel;
class QRadioButton;

// One switch byte on the window: eight ON/OFF option pairs and the labels that say what each
// switch does; to assistive technology each button is named by its byte and switch ("SW2
// switch 1 ON") and described by the meaning shown. It shows a value of the settings model and
// gives back the value the user chose. One panel serves each of SW1, SW2 and SW3.
class SwitchPanel : public QObject
{
    Q_OBJECT

public:
    using Buttons = std::array<QRadioButton *, 8>;
    // The model name the printer reported, read afresh at every refresh.
    using ModelSource = std::function<QString()>;

    // `labels` are the meaning labels by their index (lblSW1Function(0) ...).
    SwitchPanel(SwitchByte sw, const Buttons &on, const Buttons &off, QList<QLabel *> labels,
                ModelSource model, QObject *parent = nullptr);

    // Selects OFF for every set bit and ON for every clear one, then refreshes all eight
    // meanings in index order.
    void ShowValue(int value);
    // The value the pairs show: a set bit for each switch whose OFF button is selected.
    quint8 value() const;
    // Refreshes the emphasis of pair `index`, the text of its label and the accessible
    // description of the pairs that the text explains; an index without a meaning is ignored.
    void ShowMeaning(int index);

    // The user selected a button of pair `index`: the settings count as changed, and the pair
    // is refreshed.
    void selectedByUser(int index);

    QRadioButton *onButton(int index) const;
    QRadioButton *offButton(int index) const;

Q_SIGNALS:
    void changedByUser();

private:
    SwitchPairs pairs() const;
    bool hasEmphasis(int index) const;

    // True while the program shows a value, which is no change of the user's.
    bool m_showingValue = false;
    SwitchByte m_sw;
    Buttons m_on;
    Buttons m_off;
    QList<QLabel *> m_labels;
    ModelSource m_modelName;
};
