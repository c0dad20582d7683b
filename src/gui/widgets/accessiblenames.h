#pragma once

class QAbstractButton;

// Makes the names the window gives its controls (QWidget::accessibleName) the names a screen
// reader hears. Qt names a combo box on Unix after its current item and leaves what the box is
// for to a label relation, which a box without a label of its own lacks; the window's boxes are
// named after what they set instead, as browsers name a labelled selection list. Installed once
// per program; later calls do nothing.
void installAccessibleNames();

// Names a button after the group it starts and its caption as it reads at that moment
// ("LinkControl Start", "LinkControl Stop"): a page with two start buttons tells them apart,
// and the name follows the caption and the group's title in either language.
void nameAfterGroup(QAbstractButton *button);
