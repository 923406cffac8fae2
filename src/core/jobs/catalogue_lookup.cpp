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
            openResult_ = {catalogue::Status::failed, error};
            givenUp_ = true;
            return std::nullopt;
        }
        catalogue::OpenOptions options;
        options.readOnly = true;
        catalogue_ = catalogue::Catalogue::open(*address, options, &openResult_);
        givenUp_ = !catalogue_ && openResult_.status != catalogue::Status::missing;
    }
    if (!catalogue_) {
        return std::nullopt;
    }
    return catalogue_->product(code);
}

}  // namespace jobs
