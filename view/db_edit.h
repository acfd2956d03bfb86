#pragma once
// LDBEdit: a box for a volume or a threshold in whole decibels. It shows "%ddB", and "--dB" for
// -127 (silence); the user types a number (a trailing "dB" and spaces are allowed, "--" means
// -127) or steps it with the arrow keys and the wheel. Values are kept within the box's range
// (the recorder's threshold box uses -40..-6). `valueChanged` follows every change the user makes,
// when the typing is confirmed (Enter or leaving the box) or at each step; SetValue does not
// emit it.

#include <QLineEdit>

namespace sonvara {

class LDBEdit : public QLineEdit {
    Q_OBJECT

  public:
    static constexpr int kSilence = -127;

    explicit LDBEdit(QWidget* parent = nullptr);

    int Value() const { return value_; }
    // Limits the value to the range, shows it.
    void SetValue(int db);
    // Sets the range (low ≤ high, within -127..127) and brings the value into it.
    void SetRange(int low, int high);
    int Low() const { return low_; }
    int High() const { return high_; }

    // The text for `db`: "%ddB", or "--dB" for -127.
    static QString Text(int db);

  signals:
    void valueChanged(int db);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    // Takes the typed text; an unreadable text brings back the value's own.
    void Commit();
    void Step(int steps);
    // Sets the value from the user: shows it and tells when it changed.
    void Change(int db);

    int value_ = 0;
    int low_ = kSilence;
    int high_ = 127;
};

}  // namespace sonvara
