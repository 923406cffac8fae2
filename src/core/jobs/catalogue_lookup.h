#pragma once

// The shop's catalogue as the editor's product lookup (jobs/product_lookup.h).

#include "core/catalogue/catalogue.h"
#include "core/jobs/product_lookup.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace jobs {

// Nothing is read until the first find(): then the address is asked for (empty: the default
// SQLite file) and the catalogue opened read-only and kept open. No catalogue file yet is asked
// about again at the next find() (one may have been made meanwhile), at the cost of a look at the
// folder; a catalogue that fails otherwise (a server that does not answer, a newer schema) is not
// tried again, so that typing never waits for it twice.
class CatalogueLookup final : public ProductLookup {
public:
    explicit CatalogueLookup(std::function<QString()> address);
    ~CatalogueLookup() override;
    std::optional<catalogue::Product> find(const QString& code) override;

private:
    std::function<QString()> address_;
    std::unique_ptr<catalogue::Catalogue> catalogue_;
    bool givenUp_ = false;
};

}  // namespace jobs
