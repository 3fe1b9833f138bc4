#include "ui/secret.h"

#include <string.h>

#include <algorithm>

namespace trelvo {

void Wipe(QString& secret) {
    if (!secret.isDetached()) {
        secret = QString();
        return;
    }
    // Not shared, so data() writes in place instead of copying first.
    QChar* const characters = secret.data();
    std::fill(characters, characters + secret.size(), QChar());
    secret.resize(0);
}

void Wipe(std::string& secret) {
    // Unlike a plain fill, this is not dropped as a dead store.
    explicit_bzero(secret.data(), secret.size());
    secret.clear();
}

}  // namespace trelvo
