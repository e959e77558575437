#include "common/string_table.h"

#include "common/lang/translate.h"

#include <algorithm>
#include <iterator>

namespace {

struct Entry {
    int id;
    const char* text;
    // Tells apart, for the translation, a Chinese text that two ids share.
    const char* context = "";
};

// Sorted by id.
constexpr Entry kStrings[] = {
    {30000, "Quelt"},
    {30001, "specialxev://"},
    {30002, "searchxev://"},
    {30003, "playxev://"},
    {30004, "inxev://"},
    {30005, "暂停 （空格）"},
    {30006, "播放 （空格）"},
    {30007, "请输入视频关键词"},
    {30008, "addxev://"},
    {30010, "静音 （Ctrl + M）"},
    {30011, "打开声音 （Ctrl + M）"},
    {30013, "searchcolxev://"},
    {30014, "searchtagxev://"},
    {30015, "Quelt有新版本了，您是否想现在升级"},
    {30016, "searchstylexev://"},
    {30017, "预览功能需等播放开始后才可使用"},
    {30018, "视频正在播放中"},
    {30019, "colsearchstylexev://"},
    {30020, "下载完成后可点此按钮保存视频"},
    {30021, "specialcuxev://"},
    {30022, "searchcuxev://"},
    {30023, "searchcolcuxev://"},
    {30024, "searchmorexev://"},
    {30025, "alertxev://"},
    {30026, "您的系统尚未安装Flash控件，Quelt需要此控件播放视频，您是否要现在下载安装？"},
    {30027, "您系统里的flash控件版本过低，不能播放视频，您是否要现在下载安装新版的flash控件？"},
    {30031, "正在连接%s服务器"},
    {30032, "%s服务器已经删除此视频"},
    {30033, "%s服务器繁忙，请您稍后再试"},
    {30034, "%s服务器连接错误，请您稍后再试"},
    {30050, "此操作会清空播放队列并删除所有本地已缓存的视频\r\n\r\n您继续吗？"},
    {30051, "不支持的视频文件格式。"},
    {30052, "队列共有视频: %d个\r\n占用磁盘空间: %d Mb\r\n正在下载视频: %d个"},
    {30053, "视频长度未知，下载完成后即可拖拽"},
    {30054, "tipxev://"},
    {30055, "视频“%s”已经被加入Quelt的播放列表"},
    {30056, "Quelt正在播放“%s”..."},
    {30057, "Quelt正在预览播放“%s”..."},
    {30058, "请您选择一个视频保存路径："},
    {30059, "MPEG  清晰"},
    {30060, "MPEG  高清晰"},
    {30061, "MP4_240x176"},
    {30062, "MP4_368x208"},
    {30063, "MP4_320x240"},
    {30064, "MP4_400x240"},
    {30065, "3GP_128x96"},
    {30066, "3GP_176x144"},
    {30067, "3GP_352x288"},
    {30068, "3G2_128x96"},
    {30069, "3G2_176x144"},
    {30070, "已缓冲: %d%%\r\n总长度: %.2f Mb"},
    {30071, "下载速度: %d Kb/S"},
    {30072, "3G2_352x288"},
    {30074, "预览"},
    {30075, "保存当前视频"},
    {30076, "高清晰avi格式"},
    {30077, "普通画质avi格式"},
    {30078, "清晰wmv格式"},
    {30080, "m4a格式"},
    {30081, "mp3音频格式"},
    {30082, "m4a音频格式"},
    {30084, "ITUNES_MP4"},
    {30087, "ITUNES_M4A视频"},
    {30088, "ITUNES_MP3"},
    {30089, "ITUNES_M4A音频"},
    {30090, "FLV格式"},
    {30091, "视频“%s”转换成功...\r\n"},
    {30092, "视频“%s”转换失败...\r\n"},
    {30093, "视频“%s”转换成功但未能成功添加进ITUNES...\r\n"},
    {30094, "关闭(&C)"},
    {30095, "还有%d个视频文件等待处理"},
    {30096, "点击您喜欢的颜色改变界面风格"},
    {30097, "此操作会删除所有收藏的视频\r\n\r\n您继续吗？"},
    {30098, "此操作会清空所有历史记录\r\n\r\n您继续吗？"},
    {30099, "输入土豆，优酷，酷6等网站包含视频的网页地址\r\n\r\n例如：\r\n"
            "http://localhost:20080/watch/flv.html\r\n"
            "http://localhost:20080/watch/flv-h264.html\r\n"
            "http://localhost:20080/watch/mp4.html\r\n"
            "..."},
    {30100, "Vista系统用户可能会提示是否运行AutoUpdate.exe，此为升级程序"},
    // The standard buttons of Qt's message boxes and dialogs.
    {30101, "确定"},
    {30102, "取消"},
    {30103, "是(&Y)"},
    {30104, "否(&N)"},
    {30105, "关闭"},
    // An HLS video's cached share, counted by segments.
    {30106, "已缓冲: %d%% (%d/%d段)\r\n已缓存: %.2f Mb"},
    {30107, "缺少%d段"},
    // The stream address answered with something that is not a video; the
    // Chinese text is the one of a connection error (30034).
    {30108, "%s服务器连接错误，请您稍后再试", "not-video"},
    {30110, "还缺少%d段（共%d段）没有缓存，缓存完整后才能保存"},
    {30111, "%s的加密方式(SAMPLE-AES)暂不支持播放"},
    // A command-line argument that names no video file.
    {30120, "找不到视频文件：%s"},
    {30121, "这是一个文件夹，不是视频文件：%s"},
    {30122, "这不是一个可以播放的文件：%s"},
    // A live HLS stream's row: no share of a total, which is not known.
    {30140, "直播中 (已缓存%d段)\r\n已缓存: %.2f Mb"},
};

}  // namespace

std::string LoadString(int id)
{
    std::string context;
    const std::string chinese = ChineseString(id, &context);
    return chinese.empty() ? chinese : lang::Tr(chinese, context);
}

std::vector<int> StringTableIds()
{
    std::vector<int> ids;
    for (const Entry& entry : kStrings)
        ids.push_back(entry.id);
    return ids;
}

std::string ChineseString(int id, std::string* context)
{
    auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                               [](const Entry& e, int wanted) { return e.id < wanted; });
    if (it == std::end(kStrings) || it->id != id)
        return {};
    if (context)
        *context = it->context;
    return it->text;
}
