// SPDX-License-Identifier: MIT
// The "WiFi AP" sub-page (TabSheet10): a list of up to eight access-point
// profiles with their security details. The page is taken out of
// PageControl2 at start-up; its controls and rules work when it is shown.
// Nothing of it is stored in the configuration record or sent.
#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace m350::gui {

class AppContext;
class ConfigPage;

// At most this many profiles.
inline constexpr int kMaxApProfiles = 8;

class ApProfileRules : public QObject {
    Q_OBJECT
  public:
    ApProfileRules(AppContext& app, QWidget* sheet);

  public slots:
    void onAddClicked();
    void onDelClicked();
    void onUpClicked();
    void onDownClicked();
    void onSecurityChanged();
    void onEapTypeChanged();
    void onHowToConvertClicked();

  protected:
    // The conversion help's link underlines itself under the mouse.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    template <class W>
    W* find(const char* name) const;
    void enable(std::initializer_list<const char*> names, bool on);
    void move(int by);

    AppContext& app_;
    QWidget* sheet_;
};

// Builds the page's controls into TabSheet10 of the configuration page. Call
// before the wireless page rules are attached: the certificate browse
// buttons here share their handlers.
void buildApProfilePage(ConfigPage& page);

// Creates the page's rules. Called once, after buildApProfilePage.
ApProfileRules* attachApProfileRules(AppContext& app, ConfigPage& page);

// The information box behind "How to Convert ...": openssl on Linux.
QString howToConvertText();

}  // namespace m350::gui
