#include "core/jobs/catalogue_lookup.h"

#include "core/catalogue/catalogue_address.h"

namespace jobs {

CatalogueLookup::CatalogueLookup(std::function<QString()> address) : address_(std::move(address)) { }

CatalogueLookup::~CatalogueLookup() = default;

std::optional<catalogue::Product> CatalogueLookup::find(const QString& code)
{
    if (!catalogue_ && !givenUp_) {
        QString error;
        const auto address = catalogue::parseCatalogueAddress(address_ ? address_() : QString(), &error);
        if (!address) {
            givenUp_ = true;
            return std::nullopt;
        }
        catalogue::OpenOptions options;
        options.readOnly = true;
        catalogue::Result opened;
        catalogue_ = catalogue::Catalogue::open(*address, options, &opened);
        givenUp_ = !catalogue_ && opened.status != catalogue::Status::missing;
    }
    if (!catalogue_) {
        return std::nullopt;
    }
    return catalogue_->product(code);
}

}  // namespace jobs
