// The program's process-wide instances (configuration, language table, message target,
// field dialogs ...) are installed with a setter that returns the previous one. An
// installation for the lifetime of a scope puts the previous one back at its end,
// whichever way the scope is left.
#pragma once

template <class T, T* (*Install)(T*)>
class TInstalliert {
public:
    explicit TInstalliert(T* instance) : previous_(Install(instance)) {}
    TInstalliert(const TInstalliert&) = delete;
    TInstalliert& operator=(const TInstalliert&) = delete;
    ~TInstalliert() { Install(previous_); }

private:
    T* previous_;
};
