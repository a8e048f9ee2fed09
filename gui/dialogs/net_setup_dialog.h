// SPDX-License-Identifier: MIT
// "TCP/IP Setup": the network address and port the link uses on ETHERNET.
// Exit stores both into the record the main window owns; closing the window
// any other way keeps what the record held after opening.
#pragma once

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <string>

#include "core/transport/port_settings.h"
#include "gui/network_seams.h"

namespace m350::gui {

class Prompter;

class NetSetupDialog : public QDialog {
    Q_OBJECT
  public:
    // Opening runs the discovery, proposes an address when none is set yet
    // and fills the edits from the record.
    // Printer names are shown in the printer text encoding given.
    NetSetupDialog(m350::NetAddress& record, int language, std::string textEncoding,
                   Prompter& prompter, QWidget* parent = nullptr, NetworkSeams seams = {});

  public slots:
    void onExitClicked();
    void onDiscoverClicked();
    void onDeviceListClicked();
    // The per-device operations over UDP on the selected row.
    void onChangeIpClicked();
    void onFactoryDefaultClicked();
    void onBrowserClicked();

  private:
    QGroupBox* ipSettingGroup_;
    QLabel *ipAddressLabel_, *portLabel_;
    QLineEdit *ipAddressEdit_, *portEdit_;
    QPushButton* exitButton_;
    // Device list and per-device buttons: present, not shown in the layout.
    QTreeWidget* deviceList_;
    QPushButton *discoverButton_, *changeIpButton_, *factoryDefaultButton_, *browserButton_;

    void discover();
    void proposeAddress();
    void addRow(const m350::DeviceReply& reply);
    QTreeWidgetItem* selectedRow() const;

    m350::NetAddress& record_;
    int language_;
    std::string textEncoding_;
    Prompter& prompter_;
    NetworkSeams seams_;
    int sequence_ = 1;
};

}  // namespace m350::gui
