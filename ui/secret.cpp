#include "ui/secret.h"

#include "job/text/secure_wipe.h"

namespace trelvo {

void Wipe(QString& secret) {
    if (!secret.isDetached()) {
        secret = QString();
        return;
    }
    // Not shared, so data() writes in place instead of copying first.
    SecureWipe(secret.data(), static_cast<std::size_t>(secret.size()) * sizeof(QChar));
    secret.resize(0);
}

}  // namespace trelvo
