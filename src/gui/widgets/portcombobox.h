#pragma once

#include <QComboBox>

// A combo box that announces the opening of its list, so that the list can be refilled first.
class PortComboBox : public QComboBox
{
    Q_OBJECT
public:
    using QComboBox::QComboBox;

    void showPopup() override
    {
        emit dropDown();
        QComboBox::showPopup();
    }

signals:
    void dropDown();
};
