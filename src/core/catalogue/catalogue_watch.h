#pragma once

// Telling a window that another program or PC changed the catalogue, so that it shows their
// imports, prints and confirmations without being asked to read again.
//
// On PostgreSQL every change the catalogue writes announces itself on the channel
// tanafuda_catalogue (NOTIFY, delivered when its transaction commits) with what it was and who
// made it; a watch listens on a connection of its own through Qt SQL's driver notifications. On
// SQLite a watch asks the database's data version twice a second, which changes when another
// connection (another window, or tanafuda-catalogue) commits a change to the file.
//
// What the change was is read from the catalogue itself as well: the watch keeps the newest import,
// print, take-down, offer and shelf check it has seen and the prints then waiting for their answer,
// and on each change reads what is newer. That names the step on SQLite, whose data version says
// only that something was committed, and on both names the print a confirmation decided and how.

#include "core/catalogue/catalogue.h"
#include "core/catalogue/catalogue_address.h"

#include <QString>

#include <functional>
#include <memory>

namespace catalogue {

// What another program did, as its announcement says it.
struct ChangeNotice {
    QString what;          // import, print, confirm, takedown, offer, check; empty when not known (SQLite)
    QString host;          // the PC that made it; empty when not known
    bool otherPc = false;  // made on another PC (known only on PostgreSQL)
    // A confirmation: the print it decided (0 when not known) and what it made of it.
    qint64 printId = 0;
    PrintState printState = PrintState::pending;

    // 「別の PC で取り込みがありました」, 「別の PC で印刷 3 が失敗にされました」,
    // 「ほかのプログラムで商品マスタが変わりました」.
    QString text() const;
};

class CatalogueWatch {
public:
    // Starts watching the catalogue at `address` (a connection of its own); `onChange` is called
    // on the thread that made the watch, from its event loop, once for each change another
    // program or PC made (a burst of them seen at one look: one call for each step found).
    CatalogueWatch(const CatalogueAddress& address, std::function<void(const ChangeNotice&)> onChange);
    ~CatalogueWatch();
    CatalogueWatch(const CatalogueWatch&) = delete;
    CatalogueWatch& operator=(const CatalogueWatch&) = delete;

    // Whether it could start (a catalogue that does not exist yet, or a server that does not
    // answer, is not watched).
    bool watching() const;
    // The watcher has read the catalogue as it stands now: changes committed so far, its own
    // among them, are not reported (SQLite cannot tell whose a change was; on PostgreSQL a
    // program's own announcements are never reported anyway).
    void catchUp();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace catalogue
