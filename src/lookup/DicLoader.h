#pragma once
// Finds and loads the dictionary-window plugin the first time a window is asked for.
#include <QPluginLoader>
#include <QStringList>

class DicPlugin;

class DicLoader
{
public:
    static constexpr const char *FileName = "quillbox_dic.so";
    // Beside the executable (build tree, unpacked folder), then the installed library folder
    // relative to it.
    static QStringList defaultFolders();

    explicit DicLoader(QStringList folders = defaultFolders());
    // The plugin, loading it on the first call; nullptr with the reason in *error.
    DicPlugin *plugin(QString *error);
    bool isLoaded() const { return plugin_ != nullptr; }

private:
    QStringList folders_;
    QPluginLoader loader_;
    DicPlugin *plugin_ = nullptr;
};
