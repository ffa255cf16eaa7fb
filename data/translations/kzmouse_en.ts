<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="zh_CN">
<context>
    <name>kz</name>
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
        <source>创建宏定义集...</source>
        <translation>Create macro set...</translation>
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
        <source>回报率</source>
        <translation>Report rate</translation>
    </message>
    <message>
        <source>失败，设备可能未接入电脑!</source>
        <translation>Failed: the mouse may not be connected!</translation>
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
        <source>已登录</source>
        <translation>Logged in</translation>
    </message>
    <message>
        <source>常亮</source>
        <translation>Steady</translation>
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
        <source>打开</source>
        <translation>Open</translation>
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
        <source>无法创建数据库！</source>
        <translation>The database cannot be created!</translation>
    </message>
    <message>
        <source>无组合键</source>
        <translation>No modifier</translation>
    </message>
    <message>
        <source>未登录</source>
        <translation>Not logged in</translation>
    </message>
    <message>
        <source>滚轮</source>
        <translation>Wheel</translation>
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
        <source>自定义颜色</source>
        <translation>Custom colour</translation>
    </message>
    <message>
        <source>蓝</source>
        <translation>B</translation>
    </message>
    <message>
        <source>记录延时</source>
        <translation>Record delays</translation>
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
        <source>软件 %1    固件 %2</source>
        <translation>Software %1    Firmware %2</translation>
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
