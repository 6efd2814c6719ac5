#include "app/qt/dropped_file.h"

#include <QFileInfo>
#include <QList>
#include <QMimeData>
#include <QUrl>

#include "app/qt/qt_text.h"

namespace zelvo {

std::optional<std::string> DroppedFile(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return std::nullopt;
  const QList<QUrl> urls = data->urls();
  if (urls.size() != 1 || !urls.front().isLocalFile()) return std::nullopt;
  const QString path = urls.front().toLocalFile();
  if (QFileInfo(path).isDir()) return std::nullopt;
  return FromQt(path);
}

}  // namespace zelvo
