<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="zh_CN">
<context>
    <name>kz</name>
    <message>
        <source>30而立-连续30天</source>
        <translation>Thirty strong-30 days in a row</translation>
    </message>
    <message>
        <source>DPI 设置</source>
        <translation>DPI</translation>
    </message>
    <message>
        <source>DPI-分辨率循环</source>
        <translation>DPI cycle</translation>
    </message>
    <message>
        <source>X 轴</source>
        <translation>X axis</translation>
    </message>
    <message>
        <source>Y 轴</source>
        <translation>Y axis</translation>
    </message>
    <message>
        <source>[+] 添加宏定义集</source>
        <translation>[+] Add macro set</translation>
    </message>
    <message>
        <source>[X] 删除宏定义集</source>
        <translation>[X] Delete macro set</translation>
    </message>
    <message>
        <source>下载完毕，正在解压...</source>
        <translation>Downloaded, unpacking...</translation>
    </message>
    <message>
        <source>东方神鹿-滚动10000米</source>
        <translation>Eastern deer-10000 m scrolled</translation>
    </message>
    <message>
        <source>中键点击</source>
        <translation>Middle clicks</translation>
    </message>
    <message>
        <source>使用帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>使用统计</source>
        <translation>Usage</translation>
    </message>
    <message>
        <source>侧按键</source>
        <translation>Side button</translation>
    </message>
    <message>
        <source>侧滚轴键向前</source>
        <translation>Side wheel up</translation>
    </message>
    <message>
        <source>侧滚轴键向后</source>
        <translation>Side wheel down</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>保存失败！</source>
        <translation>Saving failed!</translation>
    </message>
    <message>
        <source>停止录制</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>冲上云霄-滚动50000米</source>
        <translation>Sky high-50000 m scrolled</translation>
    </message>
    <message>
        <source>准备升级固件，请插入设备！</source>
        <translation>Ready to update the firmware: plug in the mouse!</translation>
    </message>
    <message>
        <source>分享</source>
        <translation>Share</translation>
    </message>
    <message>
        <source>创建宏定义集...</source>
        <translation>Create macro set...</translation>
    </message>
    <message>
        <source>初窥门径-1次签到</source>
        <translation>First steps-1 sign-in</translation>
    </message>
    <message>
        <source>删除宏</source>
        <translation>Delete macro</translation>
    </message>
    <message>
        <source>前进方向键</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>千王之王-点击100000次</source>
        <translation>King of kings-100000 clicks</translation>
    </message>
    <message>
        <source>千里追风-滚动1000米</source>
        <translation>Wind chaser-1000 m scrolled</translation>
    </message>
    <message>
        <source>单键设定</source>
        <translation>Single key</translation>
    </message>
    <message>
        <source>双击速度</source>
        <translation>Double-click</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>可以开黑了-邀请5人</source>
        <translation>Squad ready-5 invited</translation>
    </message>
    <message>
        <source>右键点击</source>
        <translation>Right clicks</translation>
    </message>
    <message>
        <source>合伙人-分享100次</source>
        <translation>Partner-100 shares</translation>
    </message>
    <message>
        <source>同步数据失败，请退出重新登录</source>
        <translation>Sync failed: log out and log in again</translation>
    </message>
    <message>
        <source>同步数据失败，请重新登录</source>
        <translation>Sync failed: please log in again</translation>
    </message>
    <message>
        <source>后退方向键</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>启用</source>
        <translation>On</translation>
    </message>
    <message>
        <source>呼吸</source>
        <translation>Breathing</translation>
    </message>
    <message>
        <source>品味出众-官网购入</source>
        <translation>Fine taste-bought from the maker</translation>
    </message>
    <message>
        <source>回报率</source>
        <translation>Report rate</translation>
    </message>
    <message>
        <source>固件下载失败！请重试</source>
        <translation>Firmware download failed! Please try again</translation>
    </message>
    <message>
        <source>固件升级</source>
        <translation>Firmware update</translation>
    </message>
    <message>
        <source>固件更新完毕！</source>
        <translation>Firmware updated!</translation>
    </message>
    <message>
        <source>固件版本号: %s</source>
        <translation>Firmware version: %s</translation>
    </message>
    <message>
        <source>固件版本号: …</source>
        <translation>Firmware version: …</translation>
    </message>
    <message>
        <source>在线时长</source>
        <translation>Time online</translation>
    </message>
    <message>
        <source>地球也吉祥-滚动400000000米</source>
        <translation>Around the world-400000000 m scrolled</translation>
    </message>
    <message>
        <source>大师名作-首发购入2015、12、31日截至</source>
        <translation>Masterpiece-bought at launch (until 2015-12-31)</translation>
    </message>
    <message>
        <source>失败，设备可能未接入电脑!</source>
        <translation>Failed: the mouse may not be connected!</translation>
    </message>
    <message>
        <source>奥林匹克选手-点击500000次</source>
        <translation>Olympian-500000 clicks</translation>
    </message>
    <message>
        <source>存在同名名称！</source>
        <translation>A macro of that name exists!</translation>
    </message>
    <message>
        <source>存在同名宏定义集名称！</source>
        <translation>A macro set of that name exists!</translation>
    </message>
    <message>
        <source>宏定义集</source>
        <translation>Macro sets</translation>
    </message>
    <message>
        <source>密码</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>小伙伴招募-邀请1人</source>
        <translation>Recruiter-1 invited</translation>
    </message>
    <message>
        <source>小心！鼠标手-点击10000000次</source>
        <translation>Mind your wrist!-10000000 clicks</translation>
    </message>
    <message>
        <source>就这暴脾气-点击1000000次</source>
        <translation>Short fuse-1000000 clicks</translation>
    </message>
    <message>
        <source>左键点击</source>
        <translation>Left clicks</translation>
    </message>
    <message>
        <source>已登录</source>
        <translation>Logged in</translation>
    </message>
    <message>
        <source>帮助与支持</source>
        <translation>Help and support</translation>
    </message>
    <message>
        <source>常亮</source>
        <translation>Steady</translation>
    </message>
    <message>
        <source>广交朋友-首次分享</source>
        <translation>Making friends-first share</translation>
    </message>
    <message>
        <source>应用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>开启</source>
        <translation>On</translation>
    </message>
    <message>
        <source>开始录制</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>征服</source>
        <translation>Conquest</translation>
    </message>
    <message>
        <source>忘记密码</source>
        <translation>Forgot password</translation>
    </message>
    <message>
        <source>恢复出厂</source>
        <translation>Factory reset</translation>
    </message>
    <message>
        <source>恢复默认</source>
        <translation>Restore default</translation>
    </message>
    <message>
        <source>成功！</source>
        <translation>Done!</translation>
    </message>
    <message>
        <source>成就</source>
        <translation>Achievements</translation>
    </message>
    <message>
        <source>战争之王-连续365天</source>
        <translation>Lord of war-365 days in a row</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>抵达KZ星系-积分达到1</source>
        <translation>KZ galaxy reached-score 1</translation>
    </message>
    <message>
        <source>指针速度</source>
        <translation>Pointer</translation>
    </message>
    <message>
        <source>按行滚动</source>
        <translation>By lines</translation>
    </message>
    <message>
        <source>按键设置</source>
        <translation>Buttons</translation>
    </message>
    <message>
        <source>按页滚动</source>
        <translation>By page</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>支持</source>
        <translation>Support</translation>
    </message>
    <message>
        <source>效果</source>
        <translation>Effect</translation>
    </message>
    <message>
        <source>整体</source>
        <translation>Overall</translation>
    </message>
    <message>
        <source>新建宏</source>
        <translation>New macro</translation>
    </message>
    <message>
        <source>无巧不成三-邀请3人</source>
        <translation>Third time lucky-3 invited</translation>
    </message>
    <message>
        <source>无法创建数据库！</source>
        <translation>The database cannot be created!</translation>
    </message>
    <message>
        <source>无法打开固件更新包！</source>
        <translation>Cannot open the firmware package!</translation>
    </message>
    <message>
        <source>无法打开忘记密码链接，请检查网络！</source>
        <translation>Cannot open the password page: check the network!</translation>
    </message>
    <message>
        <source>无法登录，请检查网络！</source>
        <translation>Cannot log in: check the network!</translation>
    </message>
    <message>
        <source>无法获取更新信息，请检查网络！</source>
        <translation>Cannot get the update information: check the network!</translation>
    </message>
    <message>
        <source>无法获取注册链接，请检查网络！</source>
        <translation>Cannot open the sign-up page: check the network!</translation>
    </message>
    <message>
        <source>无组合键</source>
        <translation>No modifier</translation>
    </message>
    <message>
        <source>时间会解决一切-累计8760小时</source>
        <translation>Time heals all-8760 hours</translation>
    </message>
    <message>
        <source>时间总是不够-累计24小时</source>
        <translation>Never enough time-24 hours</translation>
    </message>
    <message>
        <source>时间旅行者-累计168小时</source>
        <translation>Time traveller-168 hours</translation>
    </message>
    <message>
        <source>星爵-积分达到365</source>
        <translation>Star lord-score 365</translation>
    </message>
    <message>
        <source>星际大师-积分达到90</source>
        <translation>Star master-score 90</translation>
    </message>
    <message>
        <source>星际行者-积分达到30</source>
        <translation>Star walker-score 30</translation>
    </message>
    <message>
        <source>星？-积分达到999</source>
        <translation>Star?-score 999</translation>
    </message>
    <message>
        <source>更新失败，设备可能未接入电脑!</source>
        <translation>Update failed: the mouse may not be connected!</translation>
    </message>
    <message>
        <source>有新版本！</source>
        <translation>New version!</translation>
    </message>
    <message>
        <source>未登录</source>
        <translation>Not logged in</translation>
    </message>
    <message>
        <source>检查更新</source>
        <translation>Check for updates</translation>
    </message>
    <message>
        <source>正在下载固件更新...</source>
        <translation>Downloading the firmware update...</translation>
    </message>
    <message>
        <source>正在下载更新...</source>
        <translation>Downloading the update...</translation>
    </message>
    <message>
        <source>正在更新KzMouse...</source>
        <translation>Updating KzMouse...</translation>
    </message>
    <message>
        <source>正在检查...</source>
        <translation>Checking...</translation>
    </message>
    <message>
        <source>注册</source>
        <translation>Sign up</translation>
    </message>
    <message>
        <source>注销</source>
        <translation>Log out</translation>
    </message>
    <message>
        <source>游戏</source>
        <translation>Games</translation>
    </message>
    <message>
        <source>滚轮</source>
        <translation>Wheel</translation>
    </message>
    <message>
        <source>滚轮向前（圈）</source>
        <translation>Wheel up (turns)</translation>
    </message>
    <message>
        <source>滚轮向后（圈）</source>
        <translation>Wheel down (turns)</translation>
    </message>
    <message>
        <source>滚轮总数（圈）</source>
        <translation>Wheel total (turns)</translation>
    </message>
    <message>
        <source>滚轮速度</source>
        <translation>Wheel speed</translation>
    </message>
    <message>
        <source>滚轴键向前</source>
        <translation>Wheel up</translation>
    </message>
    <message>
        <source>滚轴键向后</source>
        <translation>Wheel down</translation>
    </message>
    <message>
        <source>灯光</source>
        <translation>Lights</translation>
    </message>
    <message>
        <source>灯光 %1</source>
        <translation>Light %1</translation>
    </message>
    <message>
        <source>灯光设置</source>
        <translation>Lighting</translation>
    </message>
    <message>
        <source>灵敏度</source>
        <translation>Sensitivity</translation>
    </message>
    <message>
        <source>灵敏度开关</source>
        <translation>Separate axes</translation>
    </message>
    <message>
        <source>点击</source>
        <translation>Clicks</translation>
    </message>
    <message>
        <source>点击总数</source>
        <translation>Clicks in all</translation>
    </message>
    <message>
        <source>版本与更新</source>
        <translation>Versions and updates</translation>
    </message>
    <message>
        <source>用户名过长，请重新输入！</source>
        <translation>The user name is too long!</translation>
    </message>
    <message>
        <source>电动马达-点击5000000次</source>
        <translation>Electric motor-5000000 clicks</translation>
    </message>
    <message>
        <source>登录</source>
        <translation>Log in</translation>
    </message>
    <message>
        <source>百战天虫-点击10000次</source>
        <translation>Veteran-10000 clicks</translation>
    </message>
    <message>
        <source>百米冲刺-滚动100米</source>
        <translation>Sprinter-100 m scrolled</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>确定删除所选宏定义集？</source>
        <translation>Delete the selected macro set?</translation>
    </message>
    <message>
        <source>确定删除所选宏定义？</source>
        <translation>Delete the selected macro?</translation>
    </message>
    <message>
        <source>确认恢复出厂设置吗？</source>
        <translation>Restore the factory settings?</translation>
    </message>
    <message>
        <source>积分</source>
        <translation>Score</translation>
    </message>
    <message>
        <source>积分：%1</source>
        <translation>Score: %1</translation>
    </message>
    <message>
        <source>积分：0</source>
        <translation>Score: 0</translation>
    </message>
    <message>
        <source>移动距离（米）</source>
        <translation>Distance (m)</translation>
    </message>
    <message>
        <source>等级：%1</source>
        <translation>Level: %1</translation>
    </message>
    <message>
        <source>等级：0</source>
        <translation>Level: 0</translation>
    </message>
    <message>
        <source>签到</source>
        <translation>Sign-in</translation>
    </message>
    <message>
        <source>系统设置</source>
        <translation>System</translation>
    </message>
    <message>
        <source>红</source>
        <translation>R</translation>
    </message>
    <message>
        <source>绿</source>
        <translation>G</translation>
    </message>
    <message>
        <source>编辑...</source>
        <translation>Edit...</translation>
    </message>
    <message>
        <source>美国队长-分享10次</source>
        <translation>Captain-10 shares</translation>
    </message>
    <message>
        <source>联系客服</source>
        <translation>Contact support</translation>
    </message>
    <message>
        <source>自定义颜色</source>
        <translation>Custom colour</translation>
    </message>
    <message>
        <source>荣誉成就</source>
        <translation>Honors</translation>
    </message>
    <message>
        <source>蓝</source>
        <translation>B</translation>
    </message>
    <message>
        <source>解压失败，请重试检查更新或重新下载驱动重新安装！</source>
        <translation>Unpacking failed: check for updates again or reinstall the program!</translation>
    </message>
    <message>
        <source>解压完毕!</source>
        <translation>Unpacked!</translation>
    </message>
    <message>
        <source>记录延时</source>
        <translation>Record delays</translation>
    </message>
    <message>
        <source>设备未插入</source>
        <translation>Mouse not connected</translation>
    </message>
    <message>
        <source>请先安装配置邮件客户端！或复制地址：</source>
        <translation>Set up a mail program first, or copy the address: </translation>
    </message>
    <message>
        <source>请先选择宏定义集或者创建宏定义集</source>
        <translation>Pick a macro set or create one first</translation>
    </message>
    <message>
        <source>请按下要设定的按键</source>
        <translation>Press the key to assign</translation>
    </message>
    <message>
        <source>请输入用户名或密码！</source>
        <translation>Enter the user name and password!</translation>
    </message>
    <message>
        <source>账号</source>
        <translation>Account</translation>
    </message>
    <message>
        <source>软件 %1    固件 %2</source>
        <translation>Software %1    Firmware %2</translation>
    </message>
    <message>
        <source>软件版本号: %s</source>
        <translation>Software version: %s</translation>
    </message>
    <message>
        <source>软件版本号: 1.17</source>
        <translation>Software version: 1.17</translation>
    </message>
    <message>
        <source>软件版本已是最新版！</source>
        <translation>The software is up to date!</translation>
    </message>
    <message>
        <source>连过五关-连续5次</source>
        <translation>Five in a row-5 times running</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>通用的滚轴键</source>
        <translation>Wheel button</translation>
    </message>
    <message>
        <source>速度</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>速战速决-累计1小时</source>
        <translation>Quick win-1 hour</translation>
    </message>
    <message>
        <source>邀请</source>
        <translation>Invite</translation>
    </message>
    <message>
        <source>配置 %1</source>
        <translation>Profile %1</translation>
    </message>
    <message>
        <source>配置 1</source>
        <translation>Profile 1</translation>
    </message>
    <message>
        <source>配置 2</source>
        <translation>Profile 2</translation>
    </message>
    <message>
        <source>配置 3</source>
        <translation>Profile 3</translation>
    </message>
    <message>
        <source>配置 4</source>
        <translation>Profile 4</translation>
    </message>
    <message>
        <source>配置 5</source>
        <translation>Profile 5</translation>
    </message>
    <message>
        <source>配置文件</source>
        <translation>Profiles</translation>
    </message>
    <message>
        <source>重复</source>
        <translation>Loop</translation>
    </message>
    <message>
        <source>重复次数必须是 1 到 255 之间的整数</source>
        <translation>The repeat count must be a whole number from 1 to 255</translation>
    </message>
    <message>
        <source>重新启动后使用所选语言</source>
        <translation>The chosen language is used from the next start</translation>
    </message>
    <message>
        <source>量身定制-生日</source>
        <translation>Made to measure-birthday</translation>
    </message>
    <message>
        <source>预设颜色</source>
        <translation>Preset colours</translation>
    </message>
    <message>
        <source>颜色</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>鼠标右键</source>
        <translation>Right button</translation>
    </message>
    <message>
        <source>鼠标左键</source>
        <translation>Left button</translation>
    </message>
    <message>
        <source>鼠标已断开</source>
        <translation>Mouse disconnected</translation>
    </message>
    <message>
        <source>鼠标已连接</source>
        <translation>Mouse connected</translation>
    </message>
    <message>
        <source>鼠标设置</source>
        <translation>Mouse</translation>
    </message>
    <message>
        <source>－</source>
        <translation>−</translation>
    </message>
</context>
</TS>
