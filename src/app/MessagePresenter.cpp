#include "app/MessagePresenter.h"

namespace zlx {
MessagePresenter::~MessagePresenter() = default;
}
