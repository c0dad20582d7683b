#pragma once

class QWidget;

// Sets the Tab order of the controls below root to the order of the layouts that place them:
// a grid by rows, each row left to right; a box in its order; the controls of a group or
// page together, in the place of their group. Pages of a tab widget follow its tab bar. Windows
// of their own below root keep their order.
void orderTabChain(QWidget *root);
