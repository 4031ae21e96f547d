#pragma once
// The hold-to-fire key, or a foot switch that shows up as a keyboard: held from its press to
// its release, in whichever window of the console has the keyboard.

#include <QObject>

#include <functional>

namespace kv {

class TDeadManSwitch : public QObject {
public:
    // key: a Windows virtual key code, as the console's other key settings; 0 is off. changed
    // runs on every change of Held().
    TDeadManSwitch(QObject* parent, int key, std::function<void()> changed);

    bool On() const { return key_ != 0; }
    bool Held() const { return held_; }
    // Another key, or 0: off. Released first: only a press of the new key holds it.
    void SetKey(int key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Set(bool held);

    int key_;
    bool watching_ = false;
    bool held_ = false;
    std::function<void()> changed_;
};

}  // namespace kv
