#pragma once

#include <QValidator>

#include "orb/wire/keelexport.h"

class QLineEdit;

// Limits what can be typed into an edit to a number of bytes in the code page
// (the limit of the fixed text field the value ends up in). Text put in by the
// program is not cut: a dialog checks it with fits() when it is confirmed.
class KEEL_EXPORT CLocalTextValidator : public QValidator
{
    Q_OBJECT

public:
    CLocalTextValidator(int maxBytes, QObject *parent);

    // Puts a validator on the edit.
    static void limit(QLineEdit *edit, int maxBytes);
    static bool fits(const QString &text, int maxBytes);
    // The standard refusal of a text longer than its field.
    static QString tooLongMessage(int maxBytes);

    State validate(QString &input, int &pos) const override;

private:
    int m_maxBytes;
};
