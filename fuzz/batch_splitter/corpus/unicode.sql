5GO
select 'café'
GO
select N'日本'
GO
