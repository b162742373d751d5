// Shared by the dialog tests: the English language file, fixed regional settings, a
// message recorder, and a way to act on a modal dialog that the code under test runs.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "config/TestMeldungen.h"
#include "config/USprache.h"
#include "datetime/TestLocales.h"
#include "datetime/UClock.h"
#include "env/UInstalliert.h"

// Installs the shipped English texts for the test's lifetime.
class TTestSprache {
public:
    explicit TTestSprache(const char* file = "ENGLISH.SPR")
        : sprache_(std::string(TAVIX_DATA_SOURCE) + "/")
        , installed_(&sprache_)
    {
        sprache_.Load(file);
    }
    TTestSprache(const TTestSprache&) = delete;
    TTestSprache& operator=(const TTestSprache&) = delete;

private:
    TSprache sprache_;
    TInstalliert<TSprache, SetSprache> installed_;
};

// English texts, German regional settings (decimal comma, dd.MM.yyyy, 24 hours), a
// fixed clock (1 March 2024, 10:30) and every message recorded.
class DialogTest : public ::testing::Test {
protected:
    TTestSprache sprache;
    TScopedLocaleSettings locale{GermanSettings()};
    TFixedClock clock{45352 + 10.5 / 24};
    TTestMeldungen meldungen;

    std::string LastMessage() const
    {
        return meldungen.Meldungen.empty() ? std::string() : meldungen.Meldungen.back().Text;
    }
};

// Runs action on the modal dialog as soon as the code under test shows one (inside its
// exec). Whatever is still modal after the action is left to the action; a dialog that
// never appears leaves Ran() false. Timers are checked every 10 ms for at most 5 s.
class TModalAction {
public:
    explicit TModalAction(std::function<void(QWidget*)> action) : action_(std::move(action))
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }
    TModalAction(const TModalAction&) = delete;
    TModalAction& operator=(const TModalAction&) = delete;

    bool Ran() const { return ran_; }

private:
    void Poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            if (++tries_ > 500)
                timer_.stop();
            return;
        }
        timer_.stop();
        ran_ = true;
        QPointer<QWidget> watched(modal);
        action_(modal);
        // A dialog the action failed to close would hang the test: close it later.
        QTimer::singleShot(3000, [watched] {
            if (auto* dialog = qobject_cast<QDialog*>(watched.data()); dialog && dialog->isVisible()) {
                ADD_FAILURE() << "a modal dialog stayed open";
                dialog->reject();
            }
        });
    }

    std::function<void(QWidget*)> action_;
    QTimer timer_;
    int tries_ = 0;
    bool ran_ = false;
};

// Finds a child by its object name and fails the test when it is missing.
template <class T>
T* Child(const QWidget* parent, const char* name)
{
    T* child = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << "no " << name;
    return child;
}
