<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>DefectListPage</name>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>起止
记录:帧</source>
        <translation>Start–end
R:F</translation>
    </message>
    <message>
        <source>峰值</source>
        <translation>Peak</translation>
    </message>
    <message>
        <source>区</source>
        <translation>Zone</translation>
    </message>
    <message>
        <source>深度</source>
        <translation>Depth</translation>
    </message>
    <message>
        <source>水平距离</source>
        <translation>Surface</translation>
    </message>
    <message>
        <source>长度
6 dB</source>
        <translation>Length
6 dB</translation>
    </message>
    <message>
        <source>长度
EL</source>
        <translation>Length
EL</translation>
    </message>
    <message>
        <source>性质</source>
        <translation>Nature</translation>
    </message>
    <message>
        <source>等级</source>
        <translation>Grade</translation>
    </message>
    <message>
        <source>备注</source>
        <translation>Remarks</translation>
    </message>
    <message>
        <source>检测单位</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>委托单位</source>
        <translation>Client</translation>
    </message>
    <message>
        <source>报告编号</source>
        <translation>Report no.</translation>
    </message>
    <message>
        <source>检测日期</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>工件名称</source>
        <translation>Part</translation>
    </message>
    <message>
        <source>工件编号</source>
        <translation>Part no.</translation>
    </message>
    <message>
        <source>探伤标准</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>探伤人员</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>缺陷汇总（续）</source>
        <translation>Defect list (continued)</translation>
    </message>
    <message>
        <source>缺陷汇总</source>
        <translation>Defect list</translation>
    </message>
    <message>
        <source>达到评定线的指示：%1 个；列入本表：%2 个</source>
        <translation>Indications reaching EL: %1; in this list: %2</translation>
    </message>
    <message>
        <source>没有要报告的缺陷</source>
        <translation>No defect to report</translation>
    </message>
    <message>
        <source>帧</source>
        <translation>frames</translation>
    </message>
    <message>
        <source>{}区</source>
        <translation>zone {}</translation>
    </message>
    <message>
        <source>行程：给出的行程无法使用，长度以帧计</source>
        <translation>Travel: the travel given cannot be used; lengths in frames</translation>
    </message>
    <message>
        <source>行程：%1 mm/帧（输入）</source>
        <translation>Travel: %1 mm/frame (typed)</translation>
    </message>
    <message>
        <source>行程：由两帧之间的距离：%1 至 %2 相距 %3 mm，%4 帧，每帧 %5 mm</source>
        <translation>Travel: from the distance between two frames: %1 to %2 is %3 mm over %4 frames, %5 mm a frame</translation>
    </message>
    <message>
        <source>行程：由两帧之间的距离：%1 至 %2 相距 %3 mm，%4 帧，每帧约 %5 mm</source>
        <translation>Travel: from the distance between two frames: %1 to %2 is %3 mm over %4 frames, about %5 mm a frame</translation>
    </message>
    <message>
        <source>行程：未标定，长度以帧计</source>
        <translation>Travel: not calibrated; lengths in frames</translation>
    </message>
    <message>
        <source>缺陷汇总 – %1</source>
        <translation>Defect list – %1</translation>
    </message>
    <message>
        <source>达到评定线的指示：%1 个；列入本表：%2 个（其中人工指示 %3 个）</source>
        <translation>Indications reaching EL: %1; in this list: %2 (%3 of them manual)</translation>
    </message>
    <message>
        <source>没有评定任何帧，不能作出无缺陷的结论</source>
        <translation>No frame was evaluated: no conclusion of freedom from defects can be drawn</translation>
    </message>
    <message>
        <source>文件损坏，不能作出无缺陷的结论</source>
        <translation>The file is damaged: no conclusion of freedom from defects can be drawn</translation>
    </message>
    <message>
        <source>评定的帧中没有要报告的缺陷（另有未评定的回波，见上）</source>
        <translation>No defects to report in the evaluated frames (other echoes were not evaluated, see above)</translation>
    </message>
    <message>
        <source>未评定：文件中没有可读的记录</source>
        <translation>Not evaluated: the file holds no readable record</translation>
    </message>
    <message>
        <source>未评定：%1 帧中没有以 DAC 方式记录的帧，评定需要记录的 DAC 线</source>
        <translation>Not evaluated: none of the %1 frames was recorded in DAC mode; the evaluation needs recorded DAC lines</translation>
    </message>
    <message>
        <source>未评定：DAC 方式的 %1 帧中闸门A都没有回波（记录 %2）</source>
        <translation>Not evaluated: none of the %1 frames in DAC mode holds an echo in gate A (records %2)</translation>
    </message>
    <message>
        <source>评定范围：%1 / %2 帧（DAC 方式且闸门A有回波），记录 %3</source>
        <translation>Evaluated: %1 / %2 frames (DAC mode with an echo in gate A), records %3</translation>
    </message>
    <message>
        <source>RL %1 dB，SL %2 dB，EL %3 dB（记录 %4）</source>
        <translation>RL %1 dB, SL %2 dB, EL %3 dB (records %4)</translation>
    </message>
    <message>
        <source>DAC 线（按记录）：%1</source>
        <translation>DAC lines (by record): %1</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
    <message>
        <source>未评定（% 方式，无 DAC 线）但有达到阈值的回波：记录 %1</source>
        <translation>Not evaluated (% mode, no DAC lines) but with echoes at or above the threshold: records %1</translation>
    </message>
    <message>
        <source>未评定（DGS 方式，无 DAC 线）但有达到阈值的回波：记录 %1</source>
        <translation>Not evaluated (DGS mode, no DAC lines) but with echoes at or above the threshold: records %1</translation>
    </message>
    <message>
        <source>文件损坏：文件头声明 %1 个记录，可读 %2 个，缺失 %3 个，损坏 %4 个</source>
        <translation>The file is damaged: its header announces %1 records, %2 are readable, %3 missing, %4 damaged</translation>
    </message>
    <message>
        <source>；缺失和损坏的记录未评定</source>
        <translation>; missing and damaged records were not evaluated</translation>
    </message>
    <message>
        <source>未对应任何指示的决定（设置或规则改变后不再有指示含其峰值帧，仍保留）</source>
        <translation>Decisions no indication holds (after a change of settings or rules no indication holds their peak frame; kept)</translation>
    </message>
    <message>
        <source>人工</source>
        <translation>manual</translation>
    </message>
    <message>
        <source>评定文件：无（仅由记录评定）</source>
        <translation>Inspection file: none (evaluated from the recording alone)</translation>
    </message>
    <message>
        <source>评定文件：%1</source>
        <translation>Inspection file: %1</translation>
    </message>
</context>
<context>
    <name>GoToMessages</name>
    <message>
        <source>“%1”不是记录号，也不是 记录:帧。</source>
        <translation>“%1” is neither a record number nor record:frame.</translation>
    </message>
    <message>
        <source>文件中没有可读的记录。</source>
        <translation>The file holds no readable record.</translation>
    </message>
    <message>
        <source>记录 %1 超出范围：文件中可读的记录为 0 到 %2。</source>
        <translation>Record %1 is out of range: the readable records of the file are 0 to %2.</translation>
    </message>
    <message>
        <source>记录 %1 没有可显示的帧。</source>
        <translation>Record %1 has no frame to show.</translation>
    </message>
    <message>
        <source>第 %1 帧超出范围：记录 %2 可显示的帧为 0 到 %3。</source>
        <translation>Frame %1 is out of range: the frames of record %2 that can be shown are 0 to %3.</translation>
    </message>
</context>
<context>
    <name>OpenMessages</name>
    <message>
        <source>文件不存在</source>
        <translation>the file does not exist</translation>
    </message>
    <message>
        <source>没有读取它的权限</source>
        <translation>no permission to read it</translation>
    </message>
    <message>
        <source>这是一个文件夹</source>
        <translation>it is a folder</translation>
    </message>
    <message>
        <source>路径中有一段不是文件夹</source>
        <translation>a part of the path is not a folder</translation>
    </message>
    <message>
        <source>文件名太长</source>
        <translation>the name is too long</translation>
    </message>
    <message>
        <source>路径中的符号链接太多</source>
        <translation>too many symbolic links in the path</translation>
    </message>
    <message>
        <source>打开的文件太多</source>
        <translation>too many open files</translation>
    </message>
    <message>
        <source>读取时出现输入/输出错误</source>
        <translation>an input/output error while reading</translation>
    </message>
    <message>
        <source>不是普通文件</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>文件比它开头 4 字节的记录数还短</source>
        <translation>the file is shorter than its 4-byte record count</translation>
    </message>
    <message>
        <source>无法打开记录文件“%1”：%2</source>
        <translation>Cannot open the recording “%1”: %2</translation>
    </message>
    <message>
        <source>“%1”中没有可读的记录：文件头声明 %2 条记录，一条也读不出。它可能不是探伤记录文件。</source>
        <translation>“%1” holds no readable record: its header promises %2 records and none can be read. It may not be a recording.</translation>
    </message>
    <message>
        <source>“%1”已损坏：文件头声明 %2 条记录，可读 %3 条</source>
        <translation>“%1” is damaged: its header promises %2 records, %3 can be read</translation>
    </message>
    <message>
        <source>，缺 %1 条</source>
        <translation>, %1 are missing</translation>
    </message>
    <message>
        <source>；损坏的记录：%1 等，共 %2 条</source>
        <translation>; damaged records: %1 and more, %2 in all</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>；损坏的记录：%1</source>
        <translation>; damaged records: %1</translation>
    </message>
    <message>
        <source>。其余记录照常显示。</source>
        <translation>. The other records show as usual.</translation>
    </message>
</context>
<context>
    <name>OverviewStrips</name>
    <message>
        <source>% 波幅</source>
        <translation>% amplitude</translation>
    </message>
    <message>
        <source>dB 对曲线</source>
        <translation>dB to curve</translation>
    </message>
    <message>
        <source>位置</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>阈值</source>
        <translation>Threshold</translation>
    </message>
    <message>
        <source>指示</source>
        <translation>Indication</translation>
    </message>
    <message>
        <source>标注</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>参数块</source>
        <translation>Block</translation>
    </message>
    <message>
        <source>损坏/缺失</source>
        <translation>Damaged/missing</translation>
    </message>
    <message>
        <source>光标</source>
        <translation>Cursor</translation>
    </message>
    <message>
        <source>不可信的值</source>
        <translation>Implausible</translation>
    </message>
    <message>
        <source>波幅 %</source>
        <translation>Amplitude %</translation>
    </message>
    <message>
        <source>对曲线 dB</source>
        <translation>To curve dB</translation>
    </message>
    <message>
        <source>记录</source>
        <translation>Record</translation>
    </message>
    <message>
        <source>对 DAC 波幅</source>
        <translation>A against DAC</translation>
    </message>
    <message>
        <source>RL 判废线</source>
        <translation>RL rejection</translation>
    </message>
    <message>
        <source>SL 定量线</source>
        <translation>SL sizing</translation>
    </message>
    <message>
        <source>EL 评定线</source>
        <translation>EL evaluation</translation>
    </message>
    <message>
        <source>III 区</source>
        <translation>zone III</translation>
    </message>
    <message>
        <source>II 区</source>
        <translation>zone II</translation>
    </message>
    <message>
        <source>I 区</source>
        <translation>zone I</translation>
    </message>
    <message>
        <source>评定的指示</source>
        <translation>evaluated indication</translation>
    </message>
    <message>
        <source>6 dB 范围</source>
        <translation>6 dB run</translation>
    </message>
    <message>
        <source>未评定</source>
        <translation>not evaluated</translation>
    </message>
    <message>
        <source>对 DAC dB</source>
        <translation>dB to DAC</translation>
    </message>
    <message>
        <source>声程 in</source>
        <translation>Path in</translation>
    </message>
    <message>
        <source>声程 mm</source>
        <translation>Path mm</translation>
    </message>
    <message>
        <source>采样点（声程不一）</source>
        <translation>Samples (paths differ)</translation>
    </message>
    <message>
        <source>B 扫描 波幅 %</source>
        <translation>B-scan amplitude %</translation>
    </message>
    <message>
        <source>人工</source>
        <translation>manual</translation>
    </message>
</context>
<context>
    <name>PanelText</name>
    <message>
        <source>直探头</source>
        <translation>Straight</translation>
    </message>
    <message>
        <source>斜探头</source>
        <translation>Angle</translation>
    </message>
    <message>
        <source>双晶探头</source>
        <translation>Dual</translation>
    </message>
    <message>
        <source>穿透探头</source>
        <translation>Through</translation>
    </message>
</context>
<context>
    <name>ParameterPanel</name>
    <message>
        <source>增益</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>探头信息</source>
        <translation>Probe</translation>
    </message>
    <message>
        <source>基本信息</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>基本增益：</source>
        <translation>Base gain:</translation>
    </message>
    <message>
        <source>扫查增益：</source>
        <translation>Scan gain:</translation>
    </message>
    <message>
        <source>表面补偿：</source>
        <translation>Surf. comp.:</translation>
    </message>
    <message>
        <source>探头类型：</source>
        <translation>Type:</translation>
    </message>
    <message>
        <source>探头频率：</source>
        <translation>Frequency:</translation>
    </message>
    <message>
        <source>晶片尺寸：</source>
        <translation>Crystal:</translation>
    </message>
    <message>
        <source>声程：</source>
        <translation>Range:</translation>
    </message>
    <message>
        <source>前沿：</source>
        <translation>Index:</translation>
    </message>
    <message>
        <source>零点：</source>
        <translation>Zero:</translation>
    </message>
    <message>
        <source>通道：</source>
        <translation>Chan.:</translation>
    </message>
    <message>
        <source>延时：</source>
        <translation>Delay:</translation>
    </message>
    <message>
        <source>声速：</source>
        <translation>Velocity:</translation>
    </message>
    <message>
        <source>角度：</source>
        <translation>Angle:</translation>
    </message>
    <message>
        <source>K值：</source>
        <translation>K value:</translation>
    </message>
</context>
<context>
    <name>RecordingPrompts</name>
    <message>
        <source>评定文件未能读入，文件保持原样：
%1</source>
        <translation>The inspection file could not be read and is left as it is:
%1</translation>
    </message>
    <message>
        <source>评定未保存：“%1”已被另一窗口或程序修改，冲突尚未解决；下次保存时将再次询问。</source>
        <translation>The decisions were not saved: another window or program changed “%1” and the conflict is not settled; the next save asks again.</translation>
    </message>
    <message>
        <source>评定无法保存在记录旁（%1），已保存到“%2”。</source>
        <translation>The evaluation cannot be kept beside the recording (%1); it was saved to “%2”.</translation>
    </message>
    <message>
        <source>评定无法保存：%1</source>
        <translation>The evaluation could not be saved: %1</translation>
    </message>
</context>
<context>
    <name>ReportPage</name>
    <message>
        <source>检测单位</source>
        <translation>Company</translation>
    </message>
    <message>
        <source>报告编号</source>
        <translation>Report no.</translation>
    </message>
    <message>
        <source>委托单位</source>
        <translation>Client</translation>
    </message>
    <message>
        <source>检测日期</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>编号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>材质</source>
        <translation>Material</translation>
    </message>
    <message>
        <source>型号</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>探头类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>晶片尺寸</source>
        <translation>Crystal</translation>
    </message>
    <message>
        <source>探头K值</source>
        <translation>K value</translation>
    </message>
    <message>
        <source>折射角</source>
        <translation>Angle</translation>
    </message>
    <message>
        <source>前沿</source>
        <translation>Index</translation>
    </message>
    <message>
        <source>频率</source>
        <translation>Freq.</translation>
    </message>
    <message>
        <source>零点</source>
        <translation>Zero</translation>
    </message>
    <message>
        <source>表面热处理</source>
        <translation>Treatment</translation>
    </message>
    <message>
        <source>表面粗糙度</source>
        <translation>Roughness</translation>
    </message>
    <message>
        <source>灵敏度</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>回波抑制</source>
        <translation>Reject</translation>
    </message>
    <message>
        <source>回波延时</source>
        <translation>Delay</translation>
    </message>
    <message>
        <source>声程范围</source>
        <translation>Range</translation>
    </message>
    <message>
        <source>声速</source>
        <translation>Velocity</translation>
    </message>
    <message>
        <source>探伤结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>探伤标准</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>探伤人员</source>
        <translation>Operator</translation>
    </message>
    <message>
        <source>负责人员</source>
        <translation>Reviewer</translation>
    </message>
    <message>
        <source>长度</source>
        <translation>Length</translation>
    </message>
    <message>
        <source>高度</source>
        <translation>Height</translation>
    </message>
    <message>
        <source>等级</source>
        <translation>Grade</translation>
    </message>
    <message>
        <source>备注</source>
        <translation>Remarks</translation>
    </message>
    <message>
        <source>Kelvora数字式超声波探伤仪探伤报告</source>
        <translation>Kelvora Ultrasonic Flaw Detector Inspection Report</translation>
    </message>
    <message>
        <source>工件</source>
        <translation>Part</translation>
    </message>
    <message>
        <source>探头</source>
        <translation>Probe</translation>
    </message>
    <message>
        <source>探伤仪</source>
        <translation>Instrument</translation>
    </message>
    <message>
        <source>缺陷</source>
        <translation>Defect</translation>
    </message>
    <message>
        <source>探伤评定</source>
        <translation>Evaluation</translation>
    </message>
    <message>
        <source>定量</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>定位</source>
        <translation>Location</translation>
    </message>
    <message>
        <source>距离</source>
        <translation>Path</translation>
    </message>
    <message>
        <source>水平</source>
        <translation>Surf.</translation>
    </message>
    <message>
        <source>垂直</source>
        <translation>Depth</translation>
    </message>
    <message>
        <source>当量</source>
        <translation>Equiv.</translation>
    </message>
    <message>
        <source>A定位</source>
        <translation>A pos.</translation>
    </message>
    <message>
        <source>A当量</source>
        <translation>A eq.</translation>
    </message>
    <message>
        <source>B定位</source>
        <translation>B pos.</translation>
    </message>
    <message>
        <source>B当量</source>
        <translation>B eq.</translation>
    </message>
    <message>
        <source>度 </source>
        <translation>° </translation>
    </message>
    <message>
        <source>记录 %1:%2</source>
        <translation>record %1:%2</translation>
    </message>
    <message>
        <source>打印于 %1</source>
        <translation>printed %1</translation>
    </message>
    <message>
        <source>第 %1/%2 页</source>
        <translation>page %1/%2</translation>
    </message>
    <message>
        <source>探头型号</source>
        <translation>Probe model</translation>
    </message>
    <message>
        <source>探伤仪型号</source>
        <translation>Instrument model</translation>
    </message>
    <message>
        <source>表中未能印全的文字</source>
        <translation>Texts cut short above, in full</translation>
    </message>
</context>
<context>
    <name>ReportWiring</name>
    <message>
        <source>帧 %1</source>
        <translation>frame %1</translation>
    </message>
    <message>
        <source>指示 %1（%2–%3）</source>
        <translation>indication %1 (%2–%3)</translation>
    </message>
</context>
<context>
    <name>vantrel::EchoStrips</name>
    <message>
        <source>缺少记录 %1</source>
        <translation>Record %1 missing</translation>
    </message>
    <message>
        <source>缺少记录 %1–%2</source>
        <translation>Records %1–%2 missing</translation>
    </message>
    <message>
        <source>记录 %1 损坏：%2</source>
        <translation>Record %1 damaged: %2</translation>
    </message>
    <message>
        <source>记录 %1：%2</source>
        <translation>Record %1: %2</translation>
    </message>
    <message>
        <source>文件中没有可显示的帧</source>
        <translation>The file has no frames to show</translation>
    </message>
    <message>
        <source>声程 %1 in</source>
        <translation>path %1 in</translation>
    </message>
    <message>
        <source>声程 %1 mm</source>
        <translation>path %1 mm</translation>
    </message>
    <message>
        <source>采样点 %1</source>
        <translation>sample %1</translation>
    </message>
    <message>
        <source>波幅 %1%</source>
        <translation>amplitude %1%</translation>
    </message>
    <message>
        <source>Ctrl+拖动：把拖过的帧标为人工指示</source>
        <translation>Ctrl+drag: mark the frames dragged over as a manual indication</translation>
    </message>
</context>
<context>
    <name>vantrel::EvaluationList</name>
    <message>
        <source>删除人工指示</source>
        <translation>Remove manual indication</translation>
    </message>
</context>
<context>
    <name>vantrel::EvaluationModel</name>
    <message>
        <source>无对应指示</source>
        <translation>no indication</translation>
    </message>
    <message>
        <source>设置或规则改变后，没有指示含此决定的峰值帧；决定仍保留</source>
        <translation>After a change of settings or rules no indication holds this decision&apos;s peak frame; the decision is kept</translation>
    </message>
    <message>
        <source>人工指示：在波幅条、位置条或 B 扫描上按住 Ctrl 拖动标出；右键可删除</source>
        <translation>Manual indication: marked by a Ctrl+drag on the amplitude or position strip or the B-scan; right-click to remove it</translation>
    </message>
    <message>
        <source>是否列入缺陷汇总</source>
        <translation>Whether it goes into the defect list</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>起止</source>
        <translation>Start–end</translation>
    </message>
    <message>
        <source>峰值处</source>
        <translation>Peak</translation>
    </message>
    <message>
        <source>区域</source>
        <translation>Zone</translation>
    </message>
    <message>
        <source>深度</source>
        <translation>Depth</translation>
    </message>
    <message>
        <source>水平</source>
        <translation>Surf.</translation>
    </message>
    <message>
        <source>6dB长度</source>
        <translation>6 dB length</translation>
    </message>
    <message>
        <source>EL长度</source>
        <translation>EL length</translation>
    </message>
    <message>
        <source>性质</source>
        <translation>Nature</translation>
    </message>
    <message>
        <source>等级</source>
        <translation>Grade</translation>
    </message>
    <message>
        <source>备注</source>
        <translation>Remarks</translation>
    </message>
    <message>
        <source>报告</source>
        <translation>Report</translation>
    </message>
</context>
<context>
    <name>vantrel::IndicationModel</name>
    <message>
        <source>不可信：真实的帧不会有这样的值，这是损坏的数据，不是回波</source>
        <translation>Implausible: no real frame holds such a value; this is damaged data, not an echo</translation>
    </message>
    <message>
        <source>起点</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>终点</source>
        <translation>End</translation>
    </message>
    <message>
        <source>帧数</source>
        <translation>Frames</translation>
    </message>
    <message>
        <source>峰值波幅</source>
        <translation>Peak amplitude</translation>
    </message>
    <message>
        <source>峰值处位置</source>
        <translation>Position at peak</translation>
    </message>
</context>
<context>
    <name>vantrel::InspectionChoiceDialog</name>
    <message>
        <source>（峰值 %1）</source>
        <translation> (peak %1)</translation>
    </message>
    <message>
        <source>（无）</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>性质未填</source>
        <translation>no nature</translation>
    </message>
    <message>
        <source>未定级</source>
        <translation>not graded</translation>
    </message>
    <message>
        <source>%1 级</source>
        <translation>grade %1</translation>
    </message>
    <message>
        <source>报告</source>
        <translation>reported</translation>
    </message>
    <message>
        <source>不报告</source>
        <translation>not reported</translation>
    </message>
    <message>
        <source>报告栏 %1 个</source>
        <translation>%1 report cells</translation>
    </message>
    <message>
        <source>%1 mm/帧</source>
        <translation>%1 mm/frame</translation>
    </message>
    <message>
        <source>%1 至 %2 相距 %3 mm</source>
        <translation>%1 to %2, %3 mm apart</translation>
    </message>
    <message>
        <source>未标定</source>
        <translation>not calibrated</translation>
    </message>
    <message>
        <source>间隔 %1 帧，分割 %2 mm，阈值 %3 / %4 dB</source>
        <translation>gap %1 frames, split %2 mm, thresholds %3 / %4 dB</translation>
    </message>
    <message>
        <source>闸门</source>
        <translation>gate</translation>
    </message>
    <message>
        <source>评定有两个版本</source>
        <translation>Two versions of the decisions</translation>
    </message>
    <message>
        <source>评定已在别处修改</source>
        <translation>Decisions changed elsewhere</translation>
    </message>
    <message>
        <source>记录旁的评定文件与数据文件夹中的评定文件不同。请选择保留哪一个，或将两者合并。未保留的版本以带日期的文件名保存，不会删除。</source>
        <translation>The inspection file beside the recording and the one in the data folder differ. Choose which to keep, or merge them. The version not kept is saved under a dated name, never deleted.</translation>
    </message>
    <message>
        <source>本窗口载入评定文件后，另一个窗口或程序保存了它。互不冲突的修改已合并；下列评定两边不同，请选择各取哪一边。</source>
        <translation>Another window or program saved the inspection file after this window loaded it. Changes that do not conflict are merged; the decisions below differ: choose the side to take for each.</translation>
    </message>
    <message>
        <source>记录旁</source>
        <translation>Beside the recording</translation>
    </message>
    <message>
        <source>本窗口</source>
        <translation>This window</translation>
    </message>
    <message>
        <source>数据文件夹</source>
        <translation>Data folder</translation>
    </message>
    <message>
        <source>另一处保存的</source>
        <translation>Saved elsewhere</translation>
    </message>
    <message>
        <source>（无文件）</source>
        <translation>(no file)</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>%1 个</source>
        <translation>%1</translation>
    </message>
    <message>
        <source>已评定指示</source>
        <translation>Decided indications</translation>
    </message>
    <message>
        <source>行程</source>
        <translation>Travel</translation>
    </message>
    <message>
        <source>项目</source>
        <translation>Item</translation>
    </message>
    <message>
        <source>合并时取用</source>
        <translation>Merge takes</translation>
    </message>
    <message>
        <source>指示 %1</source>
        <translation>Indication %1</translation>
    </message>
    <message>
        <source>评定设置</source>
        <translation>Evaluation settings</translation>
    </message>
    <message>
        <source>报告栏“%1”</source>
        <translation>Report cell “%1”</translation>
    </message>
    <message>
        <source>帧 %1 的报告栏</source>
        <translation>Report cells of frame %1</translation>
    </message>
    <message>
        <source>保留</source>
        <translation>kept</translation>
    </message>
    <message>
        <source>保留记录旁的</source>
        <translation>Keep the file beside</translation>
    </message>
    <message>
        <source>冲突处都取本窗口的</source>
        <translation>Take this window&apos;s in every conflict</translation>
    </message>
    <message>
        <source>保留数据文件夹的</source>
        <translation>Keep the data folder&apos;s</translation>
    </message>
    <message>
        <source>冲突处都取另一处的</source>
        <translation>Take the other&apos;s in every conflict</translation>
    </message>
    <message>
        <source>合并（冲突处按所选）</source>
        <translation>Merge (conflicts as chosen)</translation>
    </message>
</context>
<context>
    <name>vantrel::OverviewSettingsBar</name>
    <message>
        <source>位置</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>距离</source>
        <translation>Path</translation>
    </message>
    <message>
        <source>水平</source>
        <translation>Surf.</translation>
    </message>
    <message>
        <source>垂直</source>
        <translation>Depth</translation>
    </message>
    <message>
        <source>阈值</source>
        <translation>Threshold</translation>
    </message>
    <message>
        <source>按闸门A电平</source>
        <translation>Gate A level</translation>
    </message>
    <message>
        <source>% 波幅的阈值取各记录参数中闸门A的电平；拖动阈值线或输入数值则改用固定阈值</source>
        <translation>The % threshold is the gate A level in each record&apos;s settings; dragging the threshold line or typing a value sets a fixed threshold instead</translation>
    </message>
    <message>
        <source>合并间隔</source>
        <translation>Merge gap</translation>
    </message>
    <message>
        <source> 帧</source>
        <translation> frames</translation>
    </message>
    <message>
        <source>相隔不超过这么多帧的指示合并为一处</source>
        <translation>Indications at most this many frames apart are merged into one</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>Fit all</translation>
    </message>
    <message>
        <source>显示整个文件（滚轮缩放，右键或 Shift+左键拖动平移）</source>
        <translation>Shows the whole file (the wheel zooms, a right-button or Shift drag pans)</translation>
    </message>
    <message>
        <source>分割</source>
        <translation>Split</translation>
    </message>
    <message>
        <source>闸门A回波的位置在相邻帧间跳变超过此距离时，评定的指示在此分开（焊缝根部等另一回波不并入缺陷的长度）；0：不分开</source>
        <translation>An evaluated indication is cut where gate A&apos;s echo jumps by more than this between neighbouring frames (so that another echo, such as the weld root&apos;s, does not add to a flaw&apos;s length); 0: no cut</translation>
    </message>
</context>
<context>
    <name>vantrel::TAboutForm</name>
    <message>
        <source>探伤记录查看器</source>
        <translation>Record viewer</translation>
    </message>
    <message>
        <source>超声探伤记录查看与打印</source>
        <translation>View and print A-scans</translation>
    </message>
    <message>
        <source>Vantrel 开发组 版权所有</source>
        <translation>© Vantrel developers</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>vantrel::TEchoDynamicsForm</name>
    <message>
        <source>回波动态</source>
        <translation>Echo dynamics</translation>
    </message>
    <message>
        <source>导出指示</source>
        <translation>Export indications</translation>
    </message>
    <message>
        <source>导出CSV...</source>
        <translation>Export CSV...</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>重新计算</source>
        <translation>Compute again</translation>
    </message>
    <message>
        <source>无法写入“%1”：%2</source>
        <translation>Cannot write “%1”: %2</translation>
    </message>
    <message>
        <source>没有打开的文件</source>
        <translation>No file open</translation>
    </message>
    <message>
        <source>正在取消...</source>
        <translation>Cancelling...</translation>
    </message>
    <message>
        <source>正在计算回波动态...</source>
        <translation>Computing the echo dynamics...</translation>
    </message>
    <message>
        <source>计算已取消</source>
        <translation>Computation cancelled</translation>
    </message>
    <message>
        <source>%1 帧，%2 处指示</source>
        <translation>Frames: %1, indications: %2</translation>
    </message>
    <message>
        <source>标注和参数块</source>
        <translation>Notes and blocks</translation>
    </message>
    <message>
        <source>在波幅和位置条上标出操作员标注和带参数块的记录</source>
        <translation>Mark the operator&apos;s notes and the records carrying a parameter block on the strips</translation>
    </message>
    <message>
        <source>%1:%2（当前帧）</source>
        <translation>%1:%2 (frame on screen)</translation>
    </message>
    <message>
        <source>评定（对 DAC）(&amp;D)</source>
        <translation>Evaluation (to DAC) (&amp;D)</translation>
    </message>
    <message>
        <source>波幅条对 DAC 曲线显示，画出各参数块的 RL、SL、EL 线和三个区域；列表列出评定的指示</source>
        <translation>The amplitude strip against the DAC curve, with each block&apos;s RL, SL and EL lines and the three zones; the list shows the evaluated indications</translation>
    </message>
    <message>
        <source>行程标定...</source>
        <translation>Scan travel...</translation>
    </message>
    <message>
        <source>%1 帧，评定 %2 帧，%3 处评定的指示</source>
        <translation>%1 frames, %2 evaluated, %3 evaluated indications</translation>
    </message>
    <message>
        <source>B 扫描(&amp;B)</source>
        <translation>&amp;B-scan</translation>
    </message>
    <message>
        <source>在波幅条和位置条下显示 B 扫描：每帧的 A 扫描并排，纵向为声程，颜色为波幅</source>
        <translation>Show the B-scan under the amplitude and position strips: every frame&apos;s A-scan side by side, the sound path downwards, the amplitude as colour</translation>
    </message>
    <message>
        <source>删除人工指示</source>
        <translation>Remove manual indication</translation>
    </message>
    <message>
        <source>删除人工指示 %1？</source>
        <translation>Remove manual indication %1?</translation>
    </message>
    <message>
        <source>，%1 处人工指示（Ctrl+拖动标记）</source>
        <translation>, %1 manual indications (Ctrl+drag marks one)</translation>
    </message>
</context>
<context>
    <name>vantrel::TMainForm</name>
    <message>
        <source>文件(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>打开(&amp;O)</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <source>最近打开(&amp;R)</source>
        <translation>&amp;Recent files</translation>
    </message>
    <message>
        <source>退出(&amp;E)</source>
        <translation>&amp;Exit</translation>
    </message>
    <message>
        <source>查看(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>回波动态(&amp;D)</source>
        <translation>Echo &amp;dynamics</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>播放</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>上一帧</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>下一帧</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>打印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>正在打开 %1 ...</source>
        <translation>Opening %1 ...</translation>
    </message>
    <message>
        <source>转到</source>
        <translation>Go To</translation>
    </message>
    <message>
        <source>记录，或 记录:帧（从 0 起）：</source>
        <translation>Record, or record:frame (from 0):</translation>
    </message>
    <message>
        <source>转到(&amp;G)...</source>
        <translation>&amp;Go To...</translation>
    </message>
    <message>
        <source>记录 0（条尾回到开头）</source>
        <translation>Record 0 (the end of the bar returns to the start)</translation>
    </message>
    <message>
        <source>记录 %1</source>
        <translation>Record %1</translation>
    </message>
    <message>
        <source>记录 %1 / %2&#x3000;帧 %3</source>
        <translation>Record %1 / %2, frame %3</translation>
    </message>
    <message>
        <source>没有可读的记录</source>
        <translation>No readable record</translation>
    </message>
</context>
<context>
    <name>vantrel::TReportForm</name>
    <message>
        <source>菜单(&amp;F)</source>
        <translation>&amp;Menu</translation>
    </message>
    <message>
        <source>打印(&amp;P)</source>
        <translation>&amp;Print</translation>
    </message>
    <message>
        <source>导出PDF(&amp;E)…</source>
        <translation>&amp;Export PDF…</translation>
    </message>
    <message>
        <source>打印预览(&amp;V)…</source>
        <translation>Print pre&amp;view…</translation>
    </message>
    <message>
        <source>导出PDF</source>
        <translation>Export PDF</translation>
    </message>
    <message>
        <source>未打印：没有默认打印机。</source>
        <translation>Not printed: there is no default printer.</translation>
    </message>
    <message>
        <source>未打印：打印机“%1”无法使用。</source>
        <translation>Not printed: the printer “%1” cannot be used.</translation>
    </message>
    <message>
        <source>已导出PDF：%1</source>
        <translation>PDF exported: %1</translation>
    </message>
    <message>
        <source>未导出：无法写入“%1”。</source>
        <translation>Not exported: cannot write “%1”.</translation>
    </message>
    <message>
        <source>没有默认打印机，报告未打印。

请在系统的打印机设置中添加一台打印机并设为默认，或者把报告导出为PDF，以后再打印。</source>
        <translation>There is no default printer: the report was not printed.

Add a printer in the system&apos;s printer settings and make it the default, or export the report as a PDF and print it later.</translation>
    </message>
    <message>
        <source>打印机“%1”无法使用，报告未打印。

请检查打印机是否开启并已连接，或者把报告导出为PDF，以后再打印。</source>
        <translation>The printer “%1” cannot be used: the report was not printed.

Check that the printer is on and connected, or export the report as a PDF and print it later.</translation>
    </message>
    <message>
        <source>打印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>导出PDF…</source>
        <translation>Export PDF…</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>“%1”的文字放不下，打印时以“…”截断。</source>
        <translation>The text of “%1” does not fit its cell: it prints cut short with “…”.</translation>
    </message>
    <message>
        <source>缺陷汇总(&amp;D)</source>
        <translation>&amp;Defect list</translation>
    </message>
    <message>
        <source>缺陷汇总来自回波动态窗口计算的评定：请先在回波动态窗口中计算评定。</source>
        <translation>The defect list comes from the evaluation the echo-dynamics window computes: compute it there first.</translation>
    </message>
    <message>
        <source>没有缺陷汇总：回波动态窗口尚未计算评定。</source>
        <translation>No defect list: the echo-dynamics window has not computed the evaluation.</translation>
    </message>
    <message>
        <source>没有默认打印机，缺陷汇总未打印。

请在系统的打印机设置中添加一台打印机并设为默认，或者把缺陷汇总导出为PDF，以后再打印。</source>
        <translation>There is no default printer: the defect list was not printed.

Add a printer in the system&apos;s printer settings and make it the default, or export the defect list as a PDF and print it later.</translation>
    </message>
    <message>
        <source>打印机“%1”无法使用，缺陷汇总未打印。

请检查打印机是否开启并已连接，或者把缺陷汇总导出为PDF，以后再打印。</source>
        <translation>The printer “%1” cannot be used: the defect list was not printed.

Check that the printer is on and connected, or export the defect list as a PDF and print it later.</translation>
    </message>
    <message>
        <source>为%1填写</source>
        <translation>Typed for %1</translation>
    </message>
    <message>
        <source>“%1”为%2填写</source>
        <translation>“%1” was typed for %2</translation>
    </message>
    <message>
        <source>%1，不是本页的%2。</source>
        <translation>%1, not for this page&apos;s %2.</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
</context>
<context>
    <name>vantrel::TravelDialog</name>
    <message>
        <source>行程标定</source>
        <translation>Scan travel</translation>
    </message>
    <message>
        <source>不标定：长度以帧计</source>
        <translation>None: lengths in frames</translation>
    </message>
    <message>
        <source>每帧行程</source>
        <translation>Travel per frame</translation>
    </message>
    <message>
        <source>两帧之间的距离</source>
        <translation>Distance between two frames</translation>
    </message>
    <message>
        <source>mm/帧</source>
        <translation>mm/frame</translation>
    </message>
    <message>
        <source>从</source>
        <translation>From</translation>
    </message>
    <message>
        <source>到</source>
        <translation>To</translation>
    </message>
    <message>
        <source>距离 mm</source>
        <translation>Distance mm</translation>
    </message>
    <message>
        <source>录制时没有记录探头位置：给出每帧探头移动的距离，或两帧（例如两个标注）之间的距离。</source>
        <translation>The recording holds no probe position: give the distance the probe moves per frame, or the distance between two frames (two notes, for instance).</translation>
    </message>
    <message>
        <source>请填写每帧行程：大于 0 的毫米数（例如 0.25）。</source>
        <translation>Enter the travel per frame: millimetres above 0 (0.25, for instance).</translation>
    </message>
    <message>
        <source>每帧行程“%1”不是大于 0 的毫米数（例如 0.25）。</source>
        <translation>The travel per frame “%1” is not millimetres above 0 (0.25, for instance).</translation>
    </message>
    <message>
        <source>请填写两帧之间的距离：大于 0 的毫米数（例如 600）。</source>
        <translation>Enter the distance between the two frames: millimetres above 0 (600, for instance).</translation>
    </message>
    <message>
        <source>距离“%1”不是大于 0 的毫米数（例如 600）。</source>
        <translation>The distance “%1” is not millimetres above 0 (600, for instance).</translation>
    </message>
    <message>
        <source>“从”和“到”是同一帧：请选两个不同的帧。</source>
        <translation>From and To are the same frame: choose two different frames.</translation>
    </message>
    <message>
        <source>帧 %1:%2 不在回波动态中：逐帧查看不显示它。</source>
        <translation>Frame %1:%2 is not in the echo dynamics: stepping never shows it.</translation>
    </message>
</context>
</TS>
