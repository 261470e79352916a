#include "app/SizeLimit.h"

#include "app/TextHelpers.h"
#include "widgets/Controls.h"
#include "widgets/MessageBoxes.h"

double SizeLimit::refuseAbove(double size, MessageBoxes &messages, VbComboBox &box)
{
    if (size <= kTailleMaximum)
        return size;
    const QString largest = TextHelpers::plainDecimal(kTailleMaximum);
    messages.MsgBox(QStringLiteral("La Taille maximum est de ") + largest,
        MessageBoxes::Information, QStringLiteral("Contrôle de Taille des Polices"));
    box.setText(largest);
    return kTailleMaximum;
}
