#pragma once
// The order file dialogs for tests: answers queued paths and records what it was shown.

#include "orders/OrderFileChooser.h"

#include <QStringList>

class FakeOrderChooser : public mf::OrderFileChooser {
public:
    QString chooseOrderFileToOpen(const QString &programFolder) override
    {
        openShownIn.append(programFolder);
        return toOpen;
    }
    // Each save dialog takes the next queued answer; an empty answer (or none left) cancels.
    QString chooseOrderFileToSave(const QString &suggestedPath) override
    {
        saveSuggestions.append(suggestedPath);
        return toSave.isEmpty() ? QString() : toSave.takeFirst();
    }
    QString toOpen;
    QStringList toSave;
    QStringList openShownIn;
    QStringList saveSuggestions;
};
